#pragma once
// Ids of the status window's resources as the scripts of resources/psw/ hold them: the
// language libraries' texts, dialog templates and controls (QW774409.rc, QW774411.rc) and the
// library's own pictures, icons, accelerators and notice (QW774ZZZ.rc).
//
// Written by tools/make_psw_resources.py: change the script and run it again rather than
// editing this file.

// Status texts, in the order of the status rows that show them.
inline constexpr int kStatusTextPortClosed = 2000;  // row 1
inline constexpr int kStatusTextNoStatusOnPort = 2001;  // row 2
inline constexpr int kStatusTextOtherPrinter = 2002;  // row 3
inline constexpr int kStatusTextServiceCall = 2005;  // row 4
inline constexpr int kStatusTextCancelling = 2003;  // row 5
inline constexpr int kStatusTextNoAnswer = 2004;  // row 6
inline constexpr int kStatusTextEngineAlarm = 2056;  // row 7
inline constexpr int kStatusTextPaperJam = 2006;  // row 8
inline constexpr int kStatusTextTonerOut = 2018;  // row 9
inline constexpr int kStatusTextSupplyUsedUp = 2062;  // row 10
inline constexpr int kStatusTextStackerError = 2063;  // row 11
inline constexpr int kStatusTextCleanerMissing = 2014;  // row 12
inline constexpr int kStatusTextCoverOpen = 2025;  // row 13
inline constexpr int kStatusTextPaperLoadingError = 2064;  // row 14
inline constexpr int kStatusTextPaperSizeError = 2028;  // row 15
inline constexpr int kStatusTextPaperOut = 2029;  // row 16
inline constexpr int kStatusTextPaperSetWrong = 2065;  // row 17
inline constexpr int kStatusTextMaintenance = 2017;  // row 18
inline constexpr int kStatusTextPageTooComplex = 2066;  // row 19
inline constexpr int kStatusTextWarmingUp = 2045;  // row 20
inline constexpr int kStatusTextOffline = 2042;  // row 21
inline constexpr int kStatusTextJobPaused = 2043;  // row 22
inline constexpr int kStatusTextJobsWaiting = 2053;  // row 23
inline constexpr int kStatusTextPrinting = 2046;  // row 24
inline constexpr int kStatusTextPrinterPaused = 2047;  // row 25
inline constexpr int kStatusTextDeletingJob = 2048;  // row 26
inline constexpr int kStatusTextSupplyLow = 2067;  // row 27
inline constexpr int kStatusTextReady = 2054;  // row 28
inline constexpr int kStatusTextNoStatusOnNetworkPort = 2055;  // row 29
inline constexpr int kStatusTextUnknown = 2099;  // row 30

// The window's other texts.
inline constexpr int kMainTitleText = 1002;
inline constexpr int kEwsTitleText = 1003;
inline constexpr int kEwsHeadText = 1051;
inline constexpr int kBaseCaptionText = 1101;
inline constexpr int kFrameText = 1372;
inline constexpr int kTonerText = 1602;
inline constexpr int kTonerOutText = 1641;
inline constexpr int kTonerLowText = 1662;

// Texts naming the supply or paper-loading step of a status row.
inline constexpr int kUsedUpWasteTonerText = 1752;
inline constexpr int kUsedUpDeveloperText = 1753;
inline constexpr int kUsedUpKitFText = 1754;
inline constexpr int kUsedUpAirFilterText = 1755;
inline constexpr int kMissingCleanerBladeText = 1756;
inline constexpr int kMissingWasteTonerBottleText = 1757;
inline constexpr int kLoadTimedOutText = 1758;
inline constexpr int kLoadSetUpText = 1759;
inline constexpr int kLoadSwitchText = 1760;
inline constexpr int kLoadFoldText = 1761;

// The extended window's texts.
inline constexpr int kGeneralButtonText = 1201;
inline constexpr int kTraysButtonText = 1202;
inline constexpr int kBinsButtonText = 1203;
inline constexpr int kCoversButtonText = 1204;
inline constexpr int kConsumablesButtonText = 1205;
inline constexpr int kRefreshButtonText = 1221;
inline constexpr int kCloseButtonText = 1222;
inline constexpr int kHelpButtonText = 1223;
inline constexpr int kGeneralTitleText = 1241;
inline constexpr int kGeneralNameText = 1242;
inline constexpr int kGeneralPortText = 1243;
inline constexpr int kGeneralStatusText = 1244;
inline constexpr int kTraysTitleText = 1251;
inline constexpr int kTraysTrayText = 1252;
inline constexpr int kTraysSizeText = 1253;
inline constexpr int kTraysTypeText = 1254;
inline constexpr int kTraysLevelText = 1255;
inline constexpr int kBinsTitleText = 1261;
inline constexpr int kBinsBinText = 1262;
inline constexpr int kBinsStateText = 1263;
inline constexpr int kBinsCapacityText = 1264;
inline constexpr int kCoversTitleText = 1271;
inline constexpr int kCoversCoverText = 1272;
inline constexpr int kCoversStateText = 1273;
inline constexpr int kConsumablesTitleText = 1281;
inline constexpr int kConsumablesCartridgeText = 1282;
inline constexpr int kConsumablesLevelText = 1283;
inline constexpr int kDisplayTitleText = 1291;
inline constexpr int kDisplayPanelText = 1371;

// Dialog templates.
inline constexpr int kBaseDialogTemplate = 151;
inline constexpr int kEwsHeadTemplate = 201;
inline constexpr int kEwsLeftTemplate = 241;
inline constexpr int kEwsFootTemplate = 271;
inline constexpr int kGeneralSheetTemplate = 301;
inline constexpr int kTraysSheetTemplate = 401;
inline constexpr int kBinsSheetTemplate = 501;
inline constexpr int kCoversSheetTemplate = 601;
inline constexpr int kConsumablesSheetTemplate = 701;
inline constexpr int kAuthorityNoticeTemplate = 991;  // in the library's own resources

// 151: the base dialog.
inline constexpr int kBaseCaptionLabel = 161;
inline constexpr int kBaseStatusLabel = 162;
inline constexpr int kBaseJobNameLabel = 164;
inline constexpr int kBasePicture = 181;
inline constexpr int kTonerIcon = 721;
inline constexpr int kTonerLabel = 781;

// 201: the extended window's head strip.
inline constexpr int kEwsHeadTitle = 211;

// 241: its left strip, the sheet buttons (the console's stays hidden).
inline constexpr int kEwsGeneralButton = 251;
inline constexpr int kEwsTraysButton = 252;
inline constexpr int kEwsBinsButton = 253;
inline constexpr int kEwsCoversButton = 254;
inline constexpr int kEwsConsumablesButton = 255;
inline constexpr int kEwsConsoleButton = 256;

// 271: its foot strip (the third button is IDCLOSE).
inline constexpr int kRefreshButton = 281;
inline constexpr int kEwsHelpButton = 282;

// 301: the general sheet.
inline constexpr int kGeneralTitle = 305;
inline constexpr int kGeneralPicture = 311;
inline constexpr int kGeneralStatusIcon = 312;
inline constexpr int kGeneralNameLabel = 321;
inline constexpr int kGeneralNameValue = 331;
inline constexpr int kGeneralPortLabel = 322;
inline constexpr int kGeneralPortValue = 332;
inline constexpr int kGeneralStatusLabel = 323;
inline constexpr int kGeneralStatusValue = 333;

// 401: the input trays sheet.
inline constexpr int kTraysTitle = 405;
inline constexpr int kTraysTrayLabel = 406;
inline constexpr int kTraysSizeLabel = 407;
inline constexpr int kTraysTypeLabel = 408;
inline constexpr int kTraysLevelLabel = 409;
inline constexpr int kTraysTrayIcon = 421;
inline constexpr int kTraysTrayValue = 431;
inline constexpr int kTraysSizeIcon = 441;
inline constexpr int kTraysTypeValue = 451;
inline constexpr int kTraysSizeValue = 461;
inline constexpr int kTraysLevelValue = 471;

// 501: the output bins sheet.
inline constexpr int kBinsTitle = 505;
inline constexpr int kBinsBinLabel = 506;
inline constexpr int kBinsStateLabel = 507;
inline constexpr int kBinsCapacityLabel = 508;
inline constexpr int kBinsBinIcon = 521;
inline constexpr int kBinsBinValue = 531;
inline constexpr int kBinsStateValue = 541;
inline constexpr int kBinsCapacityValue = 551;

// 601: the covers sheet.
inline constexpr int kCoversTitle = 605;
inline constexpr int kCoversCoverLabel = 606;
inline constexpr int kCoversStateLabel = 607;
inline constexpr int kCoversCoverIcon = 621;
inline constexpr int kCoversCoverValue = 641;
inline constexpr int kCoversStateValue = 661;

// 701: the consumables sheet (toner icon and text as on the base dialog).
inline constexpr int kConsumablesTitle = 705;
inline constexpr int kConsumablesCartridgeLabel = 706;
inline constexpr int kConsumablesLevelLabel = 707;
inline constexpr int kConsumablesCartridgeValue = 741;
inline constexpr int kConsumablesLevelIcon = 761;

// 991: the user-authority notice.
inline constexpr int kAuthorityNoticeText = 1001;

// Status pictures; the set for palette displays lies kPaletteSetOffset higher.
inline constexpr int kPicturePlainReady = 10001;
inline constexpr int kPicturePlainPrinting = 10003;
inline constexpr int kPicturePlainCaution = 10007;
inline constexpr int kPicturePlainError = 10010;
inline constexpr int kPicturePrinter = 10111;
inline constexpr int kPicturePrinting = 10112;
inline constexpr int kPictureGettingReady = 10113;
inline constexpr int kPictureTonerLow = 10114;
inline constexpr int kPictureTonerOut = 10115;
inline constexpr int kPicturePaperOut = 10121;
inline constexpr int kPicturePaperJam = 10122;
inline constexpr int kPicturePaperSetWrong = 10123;
inline constexpr int kPicturePaperLoading = 10124;
inline constexpr int kPictureBinFull = 10125;
inline constexpr int kPictureCoverOpen = 10131;
inline constexpr int kPictureEngineAlarm = 10132;
inline constexpr int kPictureSupplyUsedUp = 10133;
inline constexpr int kPictureCleaner = 10134;
inline constexpr int kPictureMaintenance = 10135;
inline constexpr int kPictureOffline = 10141;
inline constexpr int kPicturePaused = 10142;
inline constexpr int kPictureJobPaused = 10143;
inline constexpr int kPictureCancelling = 10144;
inline constexpr int kPicturePageTooComplex = 10145;
inline constexpr int kPictureOff = 10151;
inline constexpr int kPaletteSetOffset = 5000;

// Icons and the accelerator table.
inline constexpr int kWindowIcon = 20001;
inline constexpr int kCautionIcon = 20002;
inline constexpr int kAllWellIcon = 20003;
inline constexpr int kErrorIcon = 20004;
inline constexpr int kAcceleratorTable = 111;

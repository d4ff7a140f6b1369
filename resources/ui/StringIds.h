#pragma once
// Ids of the language libraries' strings that the code names, as the resource scripts
// (resources/lang/*.rc) hold them, grouped as the string table groups them; then the bases of
// strings that the code picks by adding a value.
//
// Written by tools/make_lang_resources.py from the names in tools/lang_strings.py: change
// them and run the script again rather than editing this file.

// Printer language, reported to applications.
inline constexpr int kPrinterLanguageName = 99;

// Why a job's settings do not fit the printer (the job check).
inline constexpr int kNoModelDescriptionMessage = 100;
inline constexpr int kNoMemoryForJobCheckMessage = 101;
inline constexpr int kOrientationMismatchMessage = 102;
inline constexpr int kPaperSizeMismatchMessage = 103;
inline constexpr int kPaperLengthMismatchMessage = 104;
inline constexpr int kPaperWidthMismatchMessage = 105;
inline constexpr int kScaleMismatchMessage = 106;
inline constexpr int kCopiesMismatchMessage = 107;
inline constexpr int kDefaultSourceMismatchMessage = 108;
inline constexpr int kPrintQualityMismatchMessage = 109;
inline constexpr int kColorMismatchMessage = 110;
inline constexpr int kDuplexMismatchMessage = 111;
inline constexpr int kYResolutionMismatchMessage = 112;
inline constexpr int kTTOptionMismatchMessage = 113;
inline constexpr int kCollateMismatchMessage = 114;
inline constexpr int kFormNameMismatchMessage = 115;
inline constexpr int kNupMismatchMessage = 116;
inline constexpr int kICMMethodMismatchMessage = 117;
inline constexpr int kICMIntentMismatchMessage = 118;
inline constexpr int kMediaTypeMismatchMessage = 119;
inline constexpr int kDitherTypeMismatchMessage = 120;

// Device and source names (identifiers: keep identical in both languages).
inline constexpr int kAutoSourceName = 200;
inline constexpr int kFeeder1SourceName = 201;
inline constexpr int kFeeder2SourceName = 202;
inline constexpr int kFeeder3SourceName = 203;
inline constexpr int kFeeder4SourceName = 204;
inline constexpr int kFeeder5SourceName = 205;
inline constexpr int kMsfSourceName = 206;
inline constexpr int kManualSourceName = 207;
inline constexpr int kEnvelopeSourceName = 208;
inline constexpr int kMultiPurposeSourceName = 219;
inline constexpr int kGroupASourceName = 225;
inline constexpr int kGroupBSourceName = 226;

// The paper bin reported to applications.
inline constexpr int kAutoSelectBinName = 300;

// Settings tree labels, named by their item ids.
inline constexpr int kDocumentTreeItem = 400;
inline constexpr int kLayoutTreeItem = 401;
inline constexpr int kPagesPerSheetTreeItem = 402;
inline constexpr int kPageOrderTreeItem = 403;
inline constexpr int kPageBorderTreeItem = 404;
inline constexpr int kMarginShiftTreeItem = 405;
inline constexpr int kDuplexTreeItem = 407;
inline constexpr int kBindingEdgeTreeItem = 408;
inline constexpr int kPrinterStatusTreeItem = 409;
inline constexpr int kUsePrinterStatusTreeItem = 410;
inline constexpr int kFastA4TreeItem = 412;
inline constexpr int kFastWithMemoryTreeItem = 413;
inline constexpr int kPrintAndHoldTreeItem = 415;
inline constexpr int kPaperTreeItem = 417;
inline constexpr int kPaperSizeTreeItem = 419;
inline constexpr int kOutputPaperTreeItem = 421;
inline constexpr int kPrintOnOutputPaperTreeItem = 422;
inline constexpr int kScalingTreeItem = 423;
inline constexpr int kScaleTreeItem = 424;
inline constexpr int kOrientationTreeItem = 425;
inline constexpr int kPaperSourceTreeItem = 426;
inline constexpr int kMediaTypeTreeItem = 427;
inline constexpr int kCopiesTreeItem = 428;
inline constexpr int kQualityTreeItem = 429;
inline constexpr int kPrinterTreeItem = 430;
inline constexpr int kGraphicsTreeItem = 431;
inline constexpr int kResolutionTreeItem = 432;
inline constexpr int kTonerSaveTreeItem = 433;
inline constexpr int kSmoothingTreeItem = 434;
inline constexpr int kFineLinesTreeItem = 435;
inline constexpr int kColourAdjustmentTreeItem = 436;
inline constexpr int kPatternScaleTreeItem = 438;
inline constexpr int kFastGraphicsTreeItem = 439;
inline constexpr int kGreyLevelsTreeItem = 440;
inline constexpr int kFontsTreeItem = 441;
inline constexpr int kTrueTypeSubstitutionTreeItem = 442;
inline constexpr int kDownloadAsOutlineTreeItem = 443;
inline constexpr int kTrueTypeAsGraphicsTreeItem = 444;
inline constexpr int kJobTreeItem = 445;
inline constexpr int kPrintPositionTreeItem = 446;
inline constexpr int kOwnerTextTreeItem = 447;
inline constexpr int kFormOverlayTreeItem = 448;
inline constexpr int kPaperFeedCheckTreeItem = 449;
inline constexpr int kPrinterTrayCheckTreeItem = 450;
inline constexpr int kReadPrinterStatusTreeItem = 451;
inline constexpr int kSubstitutionTreeItem = 452;
inline constexpr int kTrueTypeTableTreeItem = 453;
inline constexpr int kOutputPaperTableTreeItem = 454;
inline constexpr int kPrintProcessingTreeItem = 455;
inline constexpr int kUnlistedCompatibleMarginsTreeItem = 456;
inline constexpr int kDeviceHalftoneTreeItem = 457;
inline constexpr int kInstalledOptionsTreeItem = 458;
inline constexpr int kMemoryTreeItem = 459;

// Values of the settings tree and lists.
inline constexpr int kNoSubstitutionText = 462;

// Device font names (identifiers: the font table stores them).
inline constexpr int kMinchoFontName = 463;
inline constexpr int kGothicFontName = 464;
inline constexpr int kVerticalMinchoFontName = 465;
inline constexpr int kVerticalGothicFontName = 466;
inline constexpr int kCourierFontName = 467;

// Values, continued.
inline constexpr int kNoOutputPaperText = 468;
inline constexpr int kFormFileFilterText = 472;
inline constexpr int kPrintPositionGroupText = 473;
inline constexpr int kEdgeEnhancementOnText = 474;
inline constexpr int kEdgeEnhancementOffText = 475;
inline constexpr int kOnText = 476;
inline constexpr int kOffText = 477;
inline constexpr int kBuiltInTableText = 478;
inline constexpr int kPrinterTableText = 479;
inline constexpr int kEditFontTableButtonText = 480;
inline constexpr int kStandardProcessingText = 481;
inline constexpr int kFastProcessingText = 482;
inline constexpr int kHalftoneButtonText = 483;
inline constexpr int kOwnerNoneText = 484;
inline constexpr int kStandardText = 488;
inline constexpr int kEnhancedText = 489;
inline constexpr int kFineLinesOnText = 490;
inline constexpr int kColourAdjustmentButtonText = 491;
inline constexpr int kSubstitutionTableButtonText = 497;
inline constexpr int kPrintPositionButtonText = 498;
inline constexpr int kOwnerUserNameText = 499;
inline constexpr int kOwnerOwnText = 500;
inline constexpr int kOwnerNoneTreeText = 502;
inline constexpr int kFormOverlayButtonText = 503;
inline constexpr int kReadStatusButtonText = 504;
inline constexpr int kLeftToRightText = 505;
inline constexpr int kRightToLeftText = 506;
inline constexpr int kTopToBottomText = 507;
inline constexpr int kBottomToTopText = 508;
inline constexpr int kLeftToRightDownText = 509;
inline constexpr int kSingleLineText = 514;
inline constexpr int kDoubleLineText = 515;
inline constexpr int kSingleLineTurnedText = 516;
inline constexpr int kDoubleLineTurnedText = 517;
inline constexpr int kNoBorderText = 518;
inline constexpr int kThinLineText = 519;
inline constexpr int kCopiesSuffixText = 529;
inline constexpr int kPresetStandardName = 531;
inline constexpr int kTrueTypeFontColumnText = 536;
inline constexpr int kPrinterFontColumnText = 537;
inline constexpr int kTonerSaveOnText = 538;
inline constexpr int kOutlineOnText = 539;
inline constexpr int kOutlineOffText = 540;
inline constexpr int kTrueTypeAsGraphicsOnText = 541;
inline constexpr int kTrueTypeAsGraphicsOffText = 544;
inline constexpr int kLayoutCategoryText = 545;
inline constexpr int kDuplexCategoryText = 546;
inline constexpr int kStatusCategoryText = 547;

// Pages per sheet, named by 550 + the count.
inline constexpr int kOnePagePerSheetText = 551;
inline constexpr int kTwoPagesPerSheetText = 552;
inline constexpr int kFourPagesPerSheetText = 554;
inline constexpr int kSixPagesPerSheetText = 556;
inline constexpr int kEightPagesPerSheetText = 558;
inline constexpr int kNinePagesPerSheetText = 559;
inline constexpr int kSixteenPagesPerSheetText = 566;

// Tree labels, continued.
inline constexpr int kFinishingOptionsTreeItem = 569;
inline constexpr int kOverlayOptionsTreeItem = 570;

// Preset names.
inline constexpr int kPresetJobFileName = 573;
inline constexpr int kPresetSeparateCopiesName = 574;
inline constexpr int kPresetTwoUpName = 575;
inline constexpr int kPresetWideOutputName = 576;

// Tree labels and list entries, continued.
inline constexpr int kPrintModeTreeItem = 588;
inline constexpr int kOptionsCategoryText = 589;
inline constexpr int kFaceDownText = 595;
inline constexpr int kFaceUpText = 596;
inline constexpr int kStackerText = 597;
inline constexpr int kOutputTrayTreeItem = 598;
inline constexpr int kCountsCategoryText = 599;

// Hints of the pages.
inline constexpr int kLayoutFixedHint = 600;
inline constexpr int kLinkedOptionHint = 603;
inline constexpr int kPaperSizeHint = 606;
inline constexpr int kOrientationHint = 607;
inline constexpr int kPaperSourceHint = 608;
inline constexpr int kCopiesHint = 609;
inline constexpr int kTonerSaveHint = 610;
inline constexpr int kSmoothingHint = 611;
inline constexpr int kFormOverlayHint = 612;
inline constexpr int kFastProcessingHint = 614;
inline constexpr int kOutputPaperHint = 615;
inline constexpr int kDefaultsRestoredHint = 616;
inline constexpr int kDuplexHint = 617;
inline constexpr int kPresetStandardComment = 618;
inline constexpr int kDeviceDefaultsRestoredHint = 623;
inline constexpr int kReportedOptionsHint = 624;
inline constexpr int kFeederMediaHint = 631;
inline constexpr int kOutputTrayHint = 636;
inline constexpr int kSeparatorHint = 637;

// Page stamp: tree labels, positions and texts.
inline constexpr int kPageStampTreeItem = 638;
inline constexpr int kPrintStampTreeItem = 639;
inline constexpr int kStampTextTreeItem = 640;
inline constexpr int kStampPositionTreeItem = 641;
inline constexpr int kStampTopLeftText = 642;
inline constexpr int kStampTopCentreText = 643;
inline constexpr int kStampTopRightText = 644;
inline constexpr int kStampMiddleLeftText = 645;
inline constexpr int kStampCentreText = 646;
inline constexpr int kStampMiddleRightText = 647;
inline constexpr int kStampBottomLeftText = 648;
inline constexpr int kStampBottomCentreText = 649;
inline constexpr int kStampBottomRightText = 650;
inline constexpr int kStampConfidentialText = 651;
inline constexpr int kStampDraftText = 652;
inline constexpr int kStampCopyText = 653;
inline constexpr int kStampUrgentText = 654;
inline constexpr int kStampImportantText = 655;
inline constexpr int kStampInternalUseText = 656;
inline constexpr int kStampDoNotCopyText = 657;
inline constexpr int kStampApprovedText = 658;
inline constexpr int kStampOwnText = 659;
inline constexpr int kStampHint = 660;
inline constexpr int kRelaydockDestinationText = 661;

// N-up counts and arrangement, named by 664 + the count.
inline constexpr int kNupCountOneText = 665;
inline constexpr int kNupCountTwoText = 666;
inline constexpr int kNupCountThreeText = 667;
inline constexpr int kAcrossText = 668;
inline constexpr int kDownText = 669;
inline constexpr int kAcrossThenDownText = 670;
inline constexpr int kDownThenAcrossText = 671;
inline constexpr int kSetByPagesPerSheetText = 672;
inline constexpr int kNupHint = 673;
inline constexpr int kSplitHint = 674;
inline constexpr int kDestinationHint = 675;

// Preset comments.
inline constexpr int kPresetTwoUpComment = 676;
inline constexpr int kPresetWideOutputComment = 677;
inline constexpr int kPresetSeparateCopiesComment = 678;
inline constexpr int kPresetJobFileComment = 679;
inline constexpr int kNupSheetText = 680;
inline constexpr int kCompatibleMarginsOnText = 687;
inline constexpr int kCompatibleMarginsHint = 688;

// Messages (at most 128 characters).
inline constexpr int kNeedsOutputPaperMessage = 700;
inline constexpr int kBuiltInPresetKeptMessage = 701;
inline constexpr int kDeletePresetMessage = 702;
inline constexpr int kBuiltInPresetNameMessage = 703;
inline constexpr int kReplacePresetMessage = 704;
inline constexpr int kPresetLimitMessage = 705;
inline constexpr int kFormPaperSizeMessage = 706;
inline constexpr int kNotFormFileMessage = 707;
inline constexpr int kFormFileUnreadableMessage = 708;
inline constexpr int kScaleRangeMessage = 709;
inline constexpr int kImageOffPaperMessage = 710;
inline constexpr int kMediaNotDuplexMessage = 711;
inline constexpr int kPresetsNotSavedMessage = 712;
inline constexpr int kCopiesRangeMessage = 713;
inline constexpr int kPrinterOfflineMessage = 717;
inline constexpr int kPrinterBusyMessage = 718;
inline constexpr int kStatusUnreadableMessage = 719;
inline constexpr int kOwnerTextCharactersMessage = 721;
inline constexpr int kSourceNotInstalledMessage = 722;
inline constexpr int kRestoreDefaultsMessage = 723;
inline constexpr int kUserNameCharactersMessage = 724;
inline constexpr int kBindingShiftRangeMessage = 728;
inline constexpr int kMediaNotSortedMessage = 729;
inline constexpr int kMediaNotStapledMessage = 730;
inline constexpr int kMediaNoOutputPositionMessage = 731;
inline constexpr int kManualFeedFinishingMessage = 739;
inline constexpr int kFirstPositionClearedMessage = 753;
inline constexpr int kSecondPositionClearedMessage = 754;
inline constexpr int kPaperDirectionMessage = 757;
inline constexpr int kSecondPositionA4Message = 758;
inline constexpr int kPostcardMediaMessage = 762;
inline constexpr int kReturnPostcardMediaMessage = 763;
inline constexpr int kSortDuplexOffMessage = 764;
inline constexpr int kStackerSortMessage = 765;
inline constexpr int kNoJobFolderMessage = 771;
inline constexpr int kNoJobNameMessage = 772;
inline constexpr int kBadJobFolderMessage = 773;
inline constexpr int kJobPathTooLongMessage = 775;
inline constexpr int kWindowsJobFolderMessage = 776;
inline constexpr int kManualFeedDuplexMessage = 777;
inline constexpr int kJobNameCharactersMessage = 779;
inline constexpr int kCompatibleMarginsTreeItem = 788;
inline constexpr int kSheetSizeMessage = 804;
inline constexpr int kScalingOffMessage = 805;
inline constexpr int kPrintAndHoldOffMessage = 806;
inline constexpr int kOneCopyMessage = 807;
inline constexpr int kSplitPagesRangeMessage = 808;
inline constexpr int kSplitJobsRangeMessage = 809;

// Feeder settings.
inline constexpr int kFeederLabelsText = 4014;

// Finishing position labels.
inline constexpr int kPortraitStapleNoneText = 4200;
inline constexpr int kPortraitStapleTopLeftText = 4201;
inline constexpr int kPortraitStapleTopRightText = 4202;
inline constexpr int kPortraitStapleLeftTwoText = 4203;
inline constexpr int kPortraitStapleTopTwoText = 4204;
inline constexpr int kPortraitStapleBottomLeftText = 4205;
inline constexpr int kPortraitStapleBottomRightText = 4206;
inline constexpr int kLandscapeStapleNoneText = 4210;
inline constexpr int kLandscapeStapleTopLeftText = 4211;
inline constexpr int kLandscapeStapleTopRightText = 4212;
inline constexpr int kLandscapeStapleLeftTwoText = 4213;
inline constexpr int kLandscapeStapleTopTwoText = 4214;
inline constexpr int kLandscapeStapleBottomLeftText = 4215;
inline constexpr int kLandscapeStapleBottomRightText = 4216;
inline constexpr int kPortraitPunchNoneText = 4220;
inline constexpr int kPortraitPunchLeftText = 4221;
inline constexpr int kPortraitPunchTopText = 4222;
inline constexpr int kPortraitPunchRightText = 4223;
inline constexpr int kLandscapePunchNoneText = 4230;
inline constexpr int kLandscapePunchLeftText = 4231;
inline constexpr int kLandscapePunchTopText = 4232;
inline constexpr int kLandscapePunchRightText = 4233;
inline constexpr int kClearSecondPositionMessage = 4250;
inline constexpr int kSecondPositionDroppedMessage = 4251;
inline constexpr int kClearFirstPositionMessage = 4252;
inline constexpr int kFirstPositionDroppedMessage = 4253;
inline constexpr int kDuplexAgainstFirstMessage = 4255;
inline constexpr int kDuplexAgainstSecondMessage = 4257;
inline constexpr int kDuplexOffForFinishingMessage = 4259;
inline constexpr int kOutputPositionOffMessage = 4260;

// Tree labels: finishing, options and pages.
inline constexpr int kFinishingTreeItem = 4300;
inline constexpr int kFirstPositionTreeItem = 4301;
inline constexpr int kSecondPositionTreeItem = 4302;
inline constexpr int kOutputPositionTreeItem = 4303;
inline constexpr int kBindingSideTreeItem = 4304;
inline constexpr int kOutputPaperSizeTreeItem = 4311;
inline constexpr int kEdgeEnhancementTreeItem = 4330;
inline constexpr int kEdgeEnhancementHint = 4331;
inline constexpr int kLinePrinterFontName = 4400;
inline constexpr int kEditPaperTableButtonText = 4480;
inline constexpr int kPagesPerSheetLabelText = 4500;
inline constexpr int kPageOrderLabelText = 4501;
inline constexpr int kShiftMarginsCheckText = 4502;
inline constexpr int kBorderThickRadioText = 4503;
inline constexpr int kBorderDottedRadioText = 4504;
inline constexpr int kPrinterStatusCheckText = 4560;
inline constexpr int kStampCheckText = 4571;
inline constexpr int kStampPositionLabelText = 4572;
inline constexpr int kStampTextLabelText = 4573;
inline constexpr int kJobTextLabelText = 4574;
inline constexpr int kNupTreeItem = 4575;
inline constexpr int kNupDownTreeItem = 4576;
inline constexpr int kNupAcrossTreeItem = 4577;
inline constexpr int kNupOrderTreeItem = 4578;
inline constexpr int kSeparateCopiesCheckText = 4579;
inline constexpr int kCopiesAndJobsTreeItem = 4581;
inline constexpr int kSeparateCopiesTreeItem = 4582;
inline constexpr int kDestinationTreeItem = 4584;
inline constexpr int kOutputToTreeItem = 4585;
inline constexpr int kPrinterDestinationText = 4586;
inline constexpr int kPrinterAndHoldDestinationText = 4587;
inline constexpr int kFolderDestinationText = 4588;
inline constexpr int kDestinationCategoryText = 4589;
inline constexpr int kDestinationLabelText = 4590;
inline constexpr int kJobFileFolderButtonText = 4591;
inline constexpr int kKeepJobFilesCheckText = 4592;
inline constexpr int kJobFileDestinationText = 4593;
inline constexpr int kJobFileAndPrinterDestinationText = 4594;
inline constexpr int kSplitJobTreeItem = 4595;
inline constexpr int kSplitPagesLabelText = 4596;
inline constexpr int kSplitJobCheckText = 4597;
inline constexpr int kSplitJobsLabelText = 4598;

// Bases: the string of a value is base + value.
inline constexpr int kPageOrderTextBase = 505;  // + the page order, 0 to 4
inline constexpr int kTwoPageBorderTextBase = 514;  // + the border of two pages, 0 or 1
inline constexpr int kTwoPageTurnedBorderTextBase = 516;  // + the border of two turned pages, 0 or 1
inline constexpr int kPageBorderTextBase = 518;  // + the border of one or more than two pages, 0 to 3
inline constexpr int kPagesPerSheetTextBase = 550;  // + the pages per sheet: 1, 2, 4, 6, 8, 9 or 16
inline constexpr int kStampPositionTextBase = 642;  // + the stamp position, 0 to 8
inline constexpr int kStampTextBase = 651;  // + the stamp text selector, 0 to 8
inline constexpr int kNupCountTextBase = 664;  // + the pages down or across, 0 to 3
inline constexpr int kNupOrderTextBase = 670;  // + the N-up order of more than one row and column, 0 or 1
inline constexpr int kFeederSettingTextBase = 4011;  // + the feeder setting, 0 to 5
inline constexpr int kMediaKindTextBase = 4020;  // + the media kind of the paper page, 0 to 2
inline constexpr int kPrintModeTextBase = 4030;  // + the print mode of the paper page, 0 to 5

#pragma once
// Ids of the settings pages' and dialogs' templates, of their controls and of the pages'
// menus, as the language libraries' resource scripts (resources/lang/*.rc) hold them.
//
// Written by tools/make_lang_resources.py: change the script and run it again rather than
// editing this file.

// Templates.
inline constexpr int kDocumentPage1Template = 1100;
inline constexpr int kDocumentPage2Template = 1200;
inline constexpr int kDocumentPage3Template = 1300;
inline constexpr int kDevicePageTemplate = 1400;
inline constexpr int kTTSubstDeviceTemplate = 2000;
inline constexpr int kTTSubstDocumentTemplate = 2005;
inline constexpr int kOutPaperSubstDeviceTemplate = 2100;
inline constexpr int kOutPaperSubstDocumentTemplate = 2105;
inline constexpr int kPresetDialogTemplate = 2200;
inline constexpr int kOverlayDialogTemplate = 2300;
inline constexpr int kPositionDialogTemplate = 2400;
inline constexpr int kNupPositionDialogTemplate = 2446;
inline constexpr int kPresetConfirmTemplate = 2500;
inline constexpr int kSettingsListTemplate = 2600;
inline constexpr int kStatusWaitBoxTemplate = 2700;
inline constexpr int kHalftoneDialogTemplate = 2800;
inline constexpr int kFinishingDialogTemplate = 2900;
inline constexpr int kDuplexAgainstFirstPrompt = 2910;
inline constexpr int kDuplexAgainstSecondPrompt = 2911;
inline constexpr int kFirstAgainstDuplexPrompt = 2912;
inline constexpr int kSecondAgainstDuplexPrompt = 2913;
inline constexpr int kFeederDialogTemplate = 4000;
inline constexpr int kJobFileDialogTemplate = 4136;

// Menus and their commands.
inline constexpr int kPageMenu = 1009;
inline constexpr int kFixedPresetsPageMenu = 1014;
inline constexpr int kSavePresetButton = 1005;
inline constexpr int kRestoreDefaultsItem = 1010;
inline constexpr int kReadStatusItem = 1011;
inline constexpr int kDefaultsButton = 1002;
inline constexpr int kSettingsListButton = 1003;

// 1100: Document page 1: categories, their panels, presets and hint.
inline constexpr int kCategoryList = 1101;
inline constexpr int kPagesPerSheetGroup = 1111;
inline constexpr int kPagesPerSheetIcon = 1112;
inline constexpr int kPagesPerSheetLabel = 1113;
inline constexpr int kPagesPerSheetList = 1114;
inline constexpr int kPageOrderIcon = 1115;
inline constexpr int kPageOrderLabel = 1116;
inline constexpr int kPageOrderList = 1117;
inline constexpr int kShiftMarginsIcon = 1118;
inline constexpr int kShiftMarginsCheck = 1119;
inline constexpr int kBorderGroup = 1120;
inline constexpr int kBorderIcon = 1121;
inline constexpr int kBorderNoneRadio = 1122;
inline constexpr int kBorderThinRadio = 1123;
inline constexpr int kBorderThickRadio = 1124;
inline constexpr int kBorderDottedRadio = 1125;
inline constexpr int kDuplexGroup = 1127;
inline constexpr int kDuplexIcon = 1128;
inline constexpr int kDuplexLabel = 1129;
inline constexpr int kDuplexSideIcon = 1130;
inline constexpr int kDuplexOffRadio = 1131;
inline constexpr int kDuplexLongEdgeRadio = 1132;
inline constexpr int kDuplexShortEdgeRadio = 1133;
inline constexpr int kBindingGroup = 1134;
inline constexpr int kBindingIcon = 1135;
inline constexpr int kBindingLabel = 1136;
inline constexpr int kBindingStandardRadio = 1137;
inline constexpr int kBindingReversedRadio = 1138;
inline constexpr int kBindingShiftLabel = 4400;
inline constexpr int kBindingShiftEdit = 4401;
inline constexpr int kBindingShiftUpDown = 4402;
inline constexpr int kBindingShiftUnit = 4403;
inline constexpr int kPrintModeGroup = 1157;
inline constexpr int kPrintModeStandardRadio = 1158;
inline constexpr int kPrintModeSortRadio = 1159;
inline constexpr int kPrintModeStapleRadio = 1160;
inline constexpr int kFinishingPositionButton = 1161;
inline constexpr int kOutputPositionGroup = 1162;
inline constexpr int kOutputPositionNoneRadio = 1163;
inline constexpr int kOutputPositionLeftRadio = 1164;
inline constexpr int kOutputPositionCentreRadio = 1165;
inline constexpr int kOutputPositionRightRadio = 1166;
inline constexpr int kFirstPositionIcon = 1167;
inline constexpr int kFirstPositionText = 1168;
inline constexpr int kSecondPositionIcon = 1169;
inline constexpr int kSecondPositionText = 1170;
inline constexpr int kSeparateCopiesIcon = 4151;
inline constexpr int kSeparateCopiesCheck = 4152;
inline constexpr int kSplitPagesLabel = 4160;
inline constexpr int kSplitPagesEdit = 4161;
inline constexpr int kSplitPagesUpDown = 4162;
inline constexpr int kSplitJobCheck = 4163;
inline constexpr int kSplitJobsLabel = 4164;
inline constexpr int kSplitJobsEdit = 4165;
inline constexpr int kSplitJobsUpDown = 4166;
inline constexpr int kDestinationIcon = 4154;
inline constexpr int kDestinationLabel = 4155;
inline constexpr int kDestinationCombo = 4156;
inline constexpr int kDestinationText = 4157;
inline constexpr int kJobFileFolderButton = 4158;
inline constexpr int kKeepJobFilesCheck = 4159;
inline constexpr int kStampIcon = 1171;
inline constexpr int kStampCheck = 1172;
inline constexpr int kStampPositionLabel = 1174;
inline constexpr int kStampPositionCombo = 1173;
inline constexpr int kStampTextLabel = 1176;
inline constexpr int kStampTextCombo = 1175;
inline constexpr int kJobTextLabel = 1178;
inline constexpr int kJobTextEdit = 1177;
inline constexpr int kPrinterStatusGroup = 1139;
inline constexpr int kPrinterStatusIcon = 1140;
inline constexpr int kPrinterStatusCheck = 1141;
inline constexpr int kLinkedOptionsIcon = 1142;
inline constexpr int kLinkedOptionsLabel = 1143;
inline constexpr int kFastA4Check = 1144;
inline constexpr int kFastWithMemoryCheck = 1145;
inline constexpr int kOutputOptionIcon = 1146;
inline constexpr int kOutputOptionLabel = 1147;
inline constexpr int kPrintAndHoldCheck = 1148;
inline constexpr int kPresetsLabel = 1108;
inline constexpr int kPagePresetList = 1109;
inline constexpr int kPagePresetSaveButton = 1110;
inline constexpr int kPageDefaultsButton = 1012;
inline constexpr int kPageSettingsListButton = 1149;
inline constexpr int kPreviewControl = 1008;
inline constexpr int kDocumentPaperIcon = 1151;
inline constexpr int kOutputPaperIcon = 1152;
inline constexpr int kPageIcon = 1001;
inline constexpr int kHintIcon = 1006;
inline constexpr int kHintText = 1000;

// 1200: Document page 2: paper, output paper, source, copies, N-up.
inline constexpr int kPaperGroup = 1201;
inline constexpr int kPaperSizeIcon = 1202;
inline constexpr int kPaperLabel = 1203;
inline constexpr int kPaperList = 1204;
inline constexpr int kOutputPaperGroup = 1205;
inline constexpr int kOutputPaperSizeIcon = 1206;
inline constexpr int kOutputPaperLabel = 1207;
inline constexpr int kOutputPaperList = 1208;
inline constexpr int kSameAsPaperIcon = 1209;
inline constexpr int kSameAsPaperCheck = 1210;
inline constexpr int kSubstitutionButton = 1211;
inline constexpr int kScalingIcon = 1212;
inline constexpr int kScalingCheck = 1213;
inline constexpr int kScaleEdit = 1214;
inline constexpr int kScaleUpDown = 1215;
inline constexpr int kOrientationGroup = 1216;
inline constexpr int kPortraitIcon = 1218;
inline constexpr int kPortraitRadio = 1217;
inline constexpr int kLandscapeIcon = 1220;
inline constexpr int kLandscapeRadio = 1219;
inline constexpr int kSourceIcon = 1221;
inline constexpr int kSourceLabel = 1222;
inline constexpr int kSourceList = 1223;
inline constexpr int kMediaIcon = 1224;
inline constexpr int kMediaLabel = 1225;
inline constexpr int kMediaList = 1226;
inline constexpr int kFeederButton = 1235;
inline constexpr int kPaperPresenceControl = 1239;
inline constexpr int kPrintModeIcon = 1232;
inline constexpr int kPrintModeLabel = 1233;
inline constexpr int kPrintModeList = 1234;
inline constexpr int kOutputTrayIcon = 1236;
inline constexpr int kOutputTrayLabel = 1237;
inline constexpr int kOutputTrayList = 1238;
inline constexpr int kCopiesIcon = 1227;
inline constexpr int kCopiesLabel = 1228;
inline constexpr int kCopiesEdit = 1229;
inline constexpr int kCopiesUpDown = 1230;
inline constexpr int kSeparatorIcon = 1231;
inline constexpr int kSeparatorCheck = 1240;
inline constexpr int kNupGroup = 4142;
inline constexpr int kNupDownLabel = 4143;
inline constexpr int kNupDownCombo = 4145;
inline constexpr int kNupAcrossLabel = 4144;
inline constexpr int kNupAcrossCombo = 4146;
inline constexpr int kNupOrderLabel = 4147;
inline constexpr int kNupOrderPicture = 4148;
inline constexpr int kNupOrderFirstRadio = 4149;
inline constexpr int kNupOrderSecondRadio = 4150;

// 1300: Document page 3: the settings tree and the selected item's controls.
inline constexpr int kTreePlaceholder = 1301;
inline constexpr int kItemLabel = 1302;
inline constexpr int kItemList = 1304;
inline constexpr int kItemButton = 1308;
inline constexpr int kItemSecondButton = 1309;
inline constexpr int kItemTextLabel = 1306;
inline constexpr int kItemText = 1305;
inline constexpr int kItemGroup = 1307;
inline constexpr int kItemIcon = 1303;
inline constexpr int kItemModelName = 1310;
inline constexpr int kItemDriverName = 1311;
inline constexpr int kItemVersion = 1312;
inline constexpr int kItemVersionExtra = 1313;

// 2000: TrueType font substitution; 2005 holds the same controls.
inline constexpr int kTTSubstList = 2001;
inline constexpr int kTTSubstLabel = 2002;
inline constexpr int kTTSubstNameText = 2003;
inline constexpr int kTTSubstCombo = 2004;
inline constexpr int kCloseButton = 2601;

// 2100: Output-paper substitution; 2105 holds the same controls.
inline constexpr int kOutPaperSubstList = 2101;
inline constexpr int kOutPaperSubstLabel = 2102;
inline constexpr int kOutPaperSubstNameText = 2103;
inline constexpr int kOutPaperSubstCombo = 2104;

// 2200: Presets: the list, the icon row, name and comment.
inline constexpr int kPresetDialogListLabel = 2201;
inline constexpr int kPresetDialogList = 2202;
inline constexpr int kPresetDialogCommentLabel = 2204;
inline constexpr int kPresetDialogCommentText = 2205;
inline constexpr int kPresetDialogDeleteButton = 2206;
inline constexpr int kPresetDialogSaveGroup = 2203;
inline constexpr int kPresetDialogIconLabel = 2210;
inline constexpr int kPresetDialogIconList = 2211;
inline constexpr int kPresetDialogNameLabel = 2208;
inline constexpr int kPresetDialogNameEdit = 2209;
inline constexpr int kPresetDialogNewCommentLabel = 2212;
inline constexpr int kPresetDialogCommentEdit = 2213;
inline constexpr int kPresetDialogSaveButton = 2214;

// 2300: Form overlay: the switch, the file and what its header says.
inline constexpr int kOverlaySwitch = 2302;
inline constexpr int kOverlayFileLabel = 2301;
inline constexpr int kOverlayFileCombo = 2303;
inline constexpr int kOverlayBrowseButton = 2304;
inline constexpr int kOverlayMarginsCheck = 2332;
inline constexpr int kOverlayInfoGroup = 2307;
inline constexpr int kOverlayKindLabel = 2308;
inline constexpr int kOverlayKindText = 2309;
inline constexpr int kOverlayTitleLabel = 2310;
inline constexpr int kOverlayTitleText = 2311;
inline constexpr int kOverlayMakerLabel = 2312;
inline constexpr int kOverlayMakerText = 2313;
inline constexpr int kOverlayVersionLabel = 2314;
inline constexpr int kOverlayVersionText = 2315;
inline constexpr int kOverlayLanguageLabel = 2316;
inline constexpr int kOverlayLanguageText = 2317;
inline constexpr int kOverlayFormatLabel = 2318;
inline constexpr int kOverlayFormatText = 2319;
inline constexpr int kOverlayPaperSizeLabel = 2322;
inline constexpr int kOverlayPaperSizeText = 2323;
inline constexpr int kOverlayWidthLabel = 2333;
inline constexpr int kOverlayWidthText = 2334;
inline constexpr int kOverlayLengthLabel = 2335;
inline constexpr int kOverlayLengthText = 2336;
inline constexpr int kOverlayOrientationLabel = 2324;
inline constexpr int kOverlayOrientationText = 2325;

// 2400: Print position; 2446 holds the same controls but the picture.
inline constexpr int kPositionPicture = 2401;
inline constexpr int kPositionCaption = 2403;
inline constexpr int kPositionFrontGroup = 2404;
inline constexpr int kPositionTopLabel = 2405;
inline constexpr int kPositionTopEdit = 2406;
inline constexpr int kPositionTopSpin = 2407;
inline constexpr int kPositionTopUnit = 2408;
inline constexpr int kPositionLeftLabel = 2409;
inline constexpr int kPositionLeftEdit = 2410;
inline constexpr int kPositionLeftSpin = 2411;
inline constexpr int kPositionLeftUnit = 2412;
inline constexpr int kPositionBelowLabel = 2413;
inline constexpr int kPositionBelowText = 2414;
inline constexpr int kPositionBelowUnit = 2415;
inline constexpr int kPositionRightLabel = 2416;
inline constexpr int kPositionRightText = 2417;
inline constexpr int kPositionRightUnit = 2418;
inline constexpr int kPositionCentreButton = 2419;
inline constexpr int kPositionBackGroup = 2420;
inline constexpr int kPositionBackTopLabel = 2421;
inline constexpr int kPositionBackTopEdit = 2422;
inline constexpr int kPositionBackTopSpin = 2423;
inline constexpr int kPositionBackTopUnit = 2424;
inline constexpr int kPositionBackLeftLabel = 2425;
inline constexpr int kPositionBackLeftEdit = 2426;
inline constexpr int kPositionBackLeftSpin = 2427;
inline constexpr int kPositionBackLeftUnit = 2428;
inline constexpr int kPositionBackBelowLabel = 2429;
inline constexpr int kPositionBackBelowText = 2430;
inline constexpr int kPositionBackBelowUnit = 2431;
inline constexpr int kPositionBackRightLabel = 2432;
inline constexpr int kPositionBackRightText = 2433;
inline constexpr int kPositionBackRightUnit = 2434;
inline constexpr int kPositionBackCentreButton = 2435;
inline constexpr int kPositionScaleGroup = 2438;
inline constexpr int kPositionScaleCheck = 2439;
inline constexpr int kPositionScaleEdit = 2440;
inline constexpr int kPositionScaleSpin = 2441;
inline constexpr int kPositionScaleUnit = 2442;
inline constexpr int kPositionUnitsGroup = 2443;
inline constexpr int kPositionMillimetresRadio = 2444;
inline constexpr int kPositionInchesRadio = 2445;

// 2500: Confirmation of a new preset: its settings tree.
inline constexpr int kPresetConfirmIcon = 2502;
inline constexpr int kPresetConfirmText = 2501;

// 2700: Shown while the printer's status is read.
inline constexpr int kStatusWaitText = 2701;

// 2800: Device halftone: one button per adjustment, Close, and a Cancel so that Esc closes too.
inline constexpr int kHalftoneAdjust1200Button = 2802;
inline constexpr int kHalftoneAdjustOthersButton = 2803;

// 2900: Finishing positions: two rows of pictures.
inline constexpr int kFinishingPaperLabel = 2903;
inline constexpr int kFinishingPaperText = 2904;
inline constexpr int kFinishingFirstLabel = 2905;
inline constexpr int kFinishingFirstText = 2906;
inline constexpr int kFinishingFirstList = 2901;
inline constexpr int kFinishingSecondLabel = 2907;
inline constexpr int kFinishingSecondText = 2908;
inline constexpr int kFinishingSecondList = 2902;

// 2910: Conflict prompts; 2911 to 2913 hold the same controls.
inline constexpr int kPromptIcon = 2914;
inline constexpr int kPromptText = 2915;
inline constexpr int kPromptGoOnButton = 2916;
inline constexpr int kPromptAlternativeButton = 2918;
inline constexpr int kPromptCancelButton = 2917;

// 4000: Feeder setting of the current source.
inline constexpr int kFeederSettingLabel = 4001;
inline constexpr int kFeederSettingCombo = 4002;

// 4136: Folder and name of the job files.
inline constexpr int kJobFolderCheck = 4137;
inline constexpr int kJobFolderEdit = 4138;
inline constexpr int kJobFolderBrowseButton = 4141;
inline constexpr int kJobNameCheck = 4139;
inline constexpr int kJobNameEdit = 4140;

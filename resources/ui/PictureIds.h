#pragma once
// Ids of the user-interface library's icons and bitmaps, as its resource script
// (resources/ui/KVUi.rc) holds them. A picture is named for what it shows; where one picture
// serves several settings, the code says what it stands for there.
//
// Written by tools/make_ui_pictures.py from the names in tools/ui_picture_names.py: change the
// scripts and run them again rather than editing this file.

// Icons 348-351: the printer's state: ready, a notice, a warning, an error.
inline constexpr int kPrinterReadyIconId = 348;
inline constexpr int kPrinterNoticeIconId = 349;
inline constexpr int kPrinterWarningIconId = 350;
inline constexpr int kPrinterErrorIconId = 351;

// Icons 600-620: presets: the large image list in this order (a preset keeps its icon's position
// in it), then the mark of a changed preset drawn over its icon (overlay image 1).
inline constexpr int kJobFilePresetIconId = 600;
inline constexpr int kCopiesPresetIconId = 601;
inline constexpr int kTwoUpPresetIconId = 602;
inline constexpr int kFourUpPresetIconId = 603;
inline constexpr int kDuplexPresetIconId = 604;
inline constexpr int kStaplePresetIconId = 605;
inline constexpr int kPunchPresetIconId = 606;
inline constexpr int kLandscapePresetIconId = 607;
inline constexpr int kEnlargePresetIconId = 608;
inline constexpr int kTonerSavePresetIconId = 609;
inline constexpr int kFineDotsPresetIconId = 610;
inline constexpr int kOverlayPresetIconId = 611;
inline constexpr int kStampPresetIconId = 612;
inline constexpr int kEnvelopePresetIconId = 613;
inline constexpr int kPostcardPresetIconId = 614;
inline constexpr int kDraftPresetIconId = 615;
inline constexpr int kCoarseDotsPresetIconId = 616;
inline constexpr int kStandardPresetIconId = 617;
inline constexpr int kStarPresetIconId = 618;
inline constexpr int kPersonPresetIconId = 619;
inline constexpr int kPresetChangedIconId = 620;

// Icons 650-658: categories of document page one.
inline constexpr int kLayoutCategoryIconId = 650;
inline constexpr int kDuplexCategoryIconId = 651;
inline constexpr int kStatusCategoryIconId = 652;
inline constexpr int kBindingCategoryIconId = 653;
inline constexpr int kFinishingCategoryIconId = 654;
inline constexpr int kOutputCategoryIconId = 655;
inline constexpr int kOptionsCategoryIconId = 656;
inline constexpr int kCopiesAndJobsCategoryIconId = 657;
inline constexpr int kDestinationCategoryIconId = 658;

// Icons 665-678: staples on a portrait sheet: none, top left, top right, two on the left, two on
// top, bottom left, bottom right; then the same on a landscape sheet.
inline constexpr int kPortraitStapleNoneIconId = 665;
inline constexpr int kPortraitStapleTopLeftIconId = 666;
inline constexpr int kPortraitStapleTopRightIconId = 667;
inline constexpr int kPortraitStapleLeftTwoIconId = 668;
inline constexpr int kPortraitStapleTopTwoIconId = 669;
inline constexpr int kPortraitStapleBottomLeftIconId = 670;
inline constexpr int kPortraitStapleBottomRightIconId = 671;
inline constexpr int kLandscapeStapleNoneIconId = 672;
inline constexpr int kLandscapeStapleTopLeftIconId = 673;
inline constexpr int kLandscapeStapleTopRightIconId = 674;
inline constexpr int kLandscapeStapleLeftTwoIconId = 675;
inline constexpr int kLandscapeStapleTopTwoIconId = 676;
inline constexpr int kLandscapeStapleBottomLeftIconId = 677;
inline constexpr int kLandscapeStapleBottomRightIconId = 678;

// Icons 679-686: punched holes on a portrait sheet: none, left, top, right; then the same on a
// landscape sheet.
inline constexpr int kPortraitPunchNoneIconId = 679;
inline constexpr int kPortraitPunchLeftIconId = 680;
inline constexpr int kPortraitPunchTopIconId = 681;
inline constexpr int kPortraitPunchRightIconId = 682;
inline constexpr int kLandscapePunchNoneIconId = 683;
inline constexpr int kLandscapePunchLeftIconId = 684;
inline constexpr int kLandscapePunchTopIconId = 685;
inline constexpr int kLandscapePunchRightIconId = 686;

// Icons 687-688: a frame inside the sheet, and one along its edges.
inline constexpr int kSheetInnerFrameIconId = 687;
inline constexpr int kSheetOuterFrameIconId = 688;

// Icons 689-696: paper sources and paper.
inline constexpr int kTray1IconId = 689;
inline constexpr int kTray2IconId = 690;
inline constexpr int kManualFeederIconId = 691;
inline constexpr int kEnvelopeTrayIconId = 692;
inline constexpr int kHighCapacityTrayIconId = 693;
inline constexpr int kTrayLoadIconId = 694;
inline constexpr int kTransparencyIconId = 695;
inline constexpr int kSplitStackIconId = 696;

// Icons 697-699: output bins: face down, face up, a sorter's bins.
inline constexpr int kFaceDownBinIconId = 697;
inline constexpr int kFaceUpBinIconId = 698;
inline constexpr int kSorterBinsIconId = 699;

// Icons 700-714: settings tree and the pages' own icons. The N-up pictures show the pages of a
// sheet and the path they follow: two across or down, six across then down or down then across,
// from the left or from the right.
inline constexpr int kPrinterIconId = 700;
inline constexpr int kDocumentIconId = 701;
inline constexpr int kLayoutIconId = 702;
inline constexpr int kPagesPerSheetIconId = 703;
inline constexpr int kPageOrderIconId = 704;
inline constexpr int kOneByOneIconId = 705;
inline constexpr int kTwoAcrossIconId = 706;
inline constexpr int kTwoAcrossFromRightIconId = 707;
inline constexpr int kTwoDownIconId = 708;
inline constexpr int kTwoDownFromBottomIconId = 709;
inline constexpr int kSixAcrossThenDownIconId = 710;
inline constexpr int kSixDownThenAcrossIconId = 711;
inline constexpr int kSixAcrossFromRightIconId = 712;
inline constexpr int kSixDownFromRightIconId = 713;
inline constexpr int kPaperSizeTagIconId = 714;

// Icons 715-722: four pages on a square sheet and on a landscape one: across then down, down
// then across, the same from the right.
inline constexpr int kFourAcrossThenDownIconId = 715;
inline constexpr int kFourAcrossThenDownLandscapeIconId = 716;
inline constexpr int kFourDownThenAcrossIconId = 717;
inline constexpr int kFourDownThenAcrossLandscapeIconId = 718;
inline constexpr int kFourAcrossFromRightIconId = 719;
inline constexpr int kFourAcrossFromRightLandscapeIconId = 720;
inline constexpr int kFourDownFromRightIconId = 721;
inline constexpr int kFourDownFromRightLandscapeIconId = 722;

// Icons 723-781: more of the settings tree and the pages.
inline constexpr int kPrinterStatusIconId = 723;
inline constexpr int kFourUpLandscapeIconId = 724;
inline constexpr int kFourAcrossThenDownPortraitIconId = 725;
inline constexpr int kShiftRightIconId = 726;
inline constexpr int kMarginShiftIconId = 727;
inline constexpr int kLightBulbIconId = 728;
inline constexpr int kColouredPaperIconId = 729;
inline constexpr int kPaperIconId = 730;
inline constexpr int kPaperSizeIconId = 731;
inline constexpr int kSheetOutIconId = 732;
inline constexpr int kMagnifierIconId = 733;
inline constexpr int kPortraitIconId = 734;
inline constexpr int kLandscapeIconId = 735;
inline constexpr int kCheckedSheetIconId = 736;
inline constexpr int kSortedSetsIconId = 737;
inline constexpr int kCopiesIconId = 738;
inline constexpr int kFineDotsIconId = 739;
inline constexpr int kGraphicsIconId = 740;
inline constexpr int kResolutionIconId = 741;
inline constexpr int kJaggedLineIconId = 742;
inline constexpr int kSmoothLineIconId = 743;
inline constexpr int kColourBarsIconId = 744;
inline constexpr int kThinLineIconId = 745;
inline constexpr int kDoubleLineIconId = 746;
inline constexpr int kFontIconId = 747;
inline constexpr int kJobIconId = 748;
inline constexpr int kPrintPositionIconId = 749;
inline constexpr int kOwnerTextNoneIconId = 750;
inline constexpr int kOwnerTextUserNameIconId = 751;
inline constexpr int kOwnerTextOwnIconId = 752;
inline constexpr int kFormOverlayIconId = 753;
inline constexpr int kReadStatusIconId = 754;
inline constexpr int kSubstitutionIconId = 755;
inline constexpr int kBuiltInFontTableIconId = 756;
inline constexpr int kPrinterFontTableIconId = 757;
inline constexpr int kBuiltInPaperTableIconId = 758;
inline constexpr int kPrinterPaperTableIconId = 759;
inline constexpr int kStandardProcessingIconId = 760;
inline constexpr int kFastProcessingIconId = 761;
inline constexpr int kHalftoneIconId = 762;
inline constexpr int kInstalledOptionsIconId = 763;
inline constexpr int kMemoryIconId = 764;
inline constexpr int kGreyBinIconId = 765;
inline constexpr int kSplitSheetsIconId = 766;
inline constexpr int kOffsetStackIconId = 767;
inline constexpr int kCheckMarkIconId = 768;
inline constexpr int kCrossMarkIconId = 769;
inline constexpr int kTreeMarkerIconId = 770;
inline constexpr int kTrayIconId = 771;
inline constexpr int kPrintOnOutputPaperIconId = 772;
inline constexpr int kScaleIconId = 773;
inline constexpr int kOnePageIconId = 774;
inline constexpr int kInfoIconId = 775;
inline constexpr int kNoteIconId = 776;
inline constexpr int kCautionIconId = 777;
inline constexpr int kLockIconId = 778;
inline constexpr int kMediaTypeIconId = 779;
inline constexpr int kDocumentPaperIconId = 780;
inline constexpr int kOutputPaperIconId = 781;

// Icons 782-786: duplex on the long edge (also a 90 x 30 image) and on the short edge; binding
// on the top and on the right edge; the separator sheet.
inline constexpr int kDuplexLongEdgeIconId = 782;
inline constexpr int kDuplexShortEdgeIconId = 783;
inline constexpr int kBindTopIconId = 784;
inline constexpr int kBindRightIconId = 785;
inline constexpr int kSeparatorSheetIconId = 786;

// Icons 787-792: the job file, the printer's status read or not, the stamp, and the output
// folder.
inline constexpr int kJobFileIconId = 787;
inline constexpr int kPrinterCheckedIconId = 788;
inline constexpr int kPrinterCrossedIconId = 789;
inline constexpr int kStampIconId = 790;
inline constexpr int kFolderIconId = 791;
inline constexpr int kFolderDiskIconId = 792;

// Icons 800-803: tab icons of the four pages: layout, paper, settings, device.
inline constexpr int kLayoutTabIconId = 800;
inline constexpr int kPaperTabIconId = 801;
inline constexpr int kSettingsTabIconId = 802;
inline constexpr int kDeviceTabIconId = 803;

// Bitmap 800: the layout preview's item: every layer of the preview fits it.
inline constexpr int kPreviewItemBitmapId = 800;

// Bitmaps 3111-3122: sheets of the layout preview, upright and turned: one-sided, duplex on the
// long edge, duplex on the short edge; then the same with a bold edge.
inline constexpr int kSheetUprightBitmapId = 3111;
inline constexpr int kSheetTurnedBitmapId = 3112;
inline constexpr int kLongEdgeSheetUprightBitmapId = 3113;
inline constexpr int kLongEdgeSheetTurnedBitmapId = 3114;
inline constexpr int kShortEdgeSheetUprightBitmapId = 3115;
inline constexpr int kShortEdgeSheetTurnedBitmapId = 3116;
inline constexpr int kBoldSheetUprightBitmapId = 3117;
inline constexpr int kBoldSheetTurnedBitmapId = 3118;
inline constexpr int kBoldLongEdgeSheetUprightBitmapId = 3119;
inline constexpr int kBoldLongEdgeSheetTurnedBitmapId = 3120;
inline constexpr int kBoldShortEdgeSheetUprightBitmapId = 3121;
inline constexpr int kBoldShortEdgeSheetTurnedBitmapId = 3122;

// Bitmaps 3123-3126: one page on the sheet: plain, with a picture, numbered, numbered with a
// picture.
inline constexpr int kPageBitmapId = 3123;
inline constexpr int kPageWithPictureBitmapId = 3124;
inline constexpr int kNumberedPageBitmapId = 3125;
inline constexpr int kNumberedPageWithPictureBitmapId = 3126;

// Bitmaps 3127-3138: the grid of 2, 4, 6, 8, 9 and 16 pages per sheet, upright; then turned.
inline constexpr int kGridOf2UprightBitmapId = 3127;
inline constexpr int kGridOf4UprightBitmapId = 3128;
inline constexpr int kGridOf6UprightBitmapId = 3129;
inline constexpr int kGridOf8UprightBitmapId = 3130;
inline constexpr int kGridOf9UprightBitmapId = 3131;
inline constexpr int kGridOf16UprightBitmapId = 3132;
inline constexpr int kGridOf2TurnedBitmapId = 3133;
inline constexpr int kGridOf4TurnedBitmapId = 3134;
inline constexpr int kGridOf6TurnedBitmapId = 3135;
inline constexpr int kGridOf8TurnedBitmapId = 3136;
inline constexpr int kGridOf9TurnedBitmapId = 3137;
inline constexpr int kGridOf16TurnedBitmapId = 3138;

// Bitmaps 8206-8240: page numbers, black on white, then white on black (Inverse): of two pages,
// of four, of six and eight (six use the first six; 8233 is a spare 8), and the first and last
// of nine and sixteen.
inline constexpr int kTwoUpNumber1BitmapId = 8206;
inline constexpr int kTwoUpNumber2BitmapId = 8207;
inline constexpr int kTwoUpInverseNumber1BitmapId = 8208;
inline constexpr int kTwoUpInverseNumber2BitmapId = 8209;
inline constexpr int kFourUpNumber1BitmapId = 8210;
inline constexpr int kFourUpNumber2BitmapId = 8211;
inline constexpr int kFourUpNumber3BitmapId = 8212;
inline constexpr int kFourUpNumber4BitmapId = 8213;
inline constexpr int kFourUpInverseNumber1BitmapId = 8214;
inline constexpr int kFourUpInverseNumber2BitmapId = 8215;
inline constexpr int kFourUpInverseNumber3BitmapId = 8216;
inline constexpr int kFourUpInverseNumber4BitmapId = 8217;
inline constexpr int kEightUpNumber1BitmapId = 8218;
inline constexpr int kEightUpNumber2BitmapId = 8219;
inline constexpr int kEightUpNumber3BitmapId = 8220;
inline constexpr int kEightUpNumber4BitmapId = 8221;
inline constexpr int kEightUpNumber5BitmapId = 8222;
inline constexpr int kEightUpNumber6BitmapId = 8223;
inline constexpr int kEightUpNumber7BitmapId = 8224;
inline constexpr int kEightUpNumber8BitmapId = 8225;
inline constexpr int kEightUpInverseNumber1BitmapId = 8226;
inline constexpr int kEightUpInverseNumber2BitmapId = 8227;
inline constexpr int kEightUpInverseNumber3BitmapId = 8228;
inline constexpr int kEightUpInverseNumber4BitmapId = 8229;
inline constexpr int kEightUpInverseNumber5BitmapId = 8230;
inline constexpr int kEightUpInverseNumber6BitmapId = 8231;
inline constexpr int kEightUpInverseNumber7BitmapId = 8232;
inline constexpr int kEightUpInverseSpareNumber8BitmapId = 8233;
inline constexpr int kEightUpInverseNumber8BitmapId = 8234;
inline constexpr int kSixteenUpNumber1BitmapId = 8235;
inline constexpr int kSixteenUpNumber9BitmapId = 8236;
inline constexpr int kSixteenUpNumber16BitmapId = 8237;
inline constexpr int kSixteenUpInverseNumber1BitmapId = 8238;
inline constexpr int kSixteenUpInverseNumber9BitmapId = 8239;
inline constexpr int kSixteenUpInverseNumber16BitmapId = 8240;

// Bitmaps 8241-8256: the path of nine and sixteen pages, upright and turned: across then down,
// down then across, the same from the right; black, then grey. The grey ones' first two are
// numbered the other way round.
inline constexpr int kOrderAcrossUprightBitmapId = 8241;
inline constexpr int kOrderDownUprightBitmapId = 8243;
inline constexpr int kOrderAcrossFromRightUprightBitmapId = 8245;
inline constexpr int kOrderDownFromRightUprightBitmapId = 8247;
inline constexpr int kOrderAcrossTurnedBitmapId = 8249;
inline constexpr int kOrderDownTurnedBitmapId = 8251;
inline constexpr int kOrderAcrossFromRightTurnedBitmapId = 8253;
inline constexpr int kOrderDownFromRightTurnedBitmapId = 8255;
inline constexpr int kGreyOrderAcrossUprightBitmapId = 8244;
inline constexpr int kGreyOrderDownUprightBitmapId = 8242;
inline constexpr int kGreyOrderAcrossFromRightUprightBitmapId = 8246;
inline constexpr int kGreyOrderDownFromRightUprightBitmapId = 8248;
inline constexpr int kGreyOrderAcrossTurnedBitmapId = 8250;
inline constexpr int kGreyOrderDownTurnedBitmapId = 8252;
inline constexpr int kGreyOrderAcrossFromRightTurnedBitmapId = 8254;
inline constexpr int kGreyOrderDownFromRightTurnedBitmapId = 8256;

// Bitmaps 8257-8260: binding marks beside the bound edge: left of an upright sheet, above it,
// above a turned sheet, left of it.
inline constexpr int kBindingLeftUprightBitmapId = 8257;
inline constexpr int kBindingTopUprightBitmapId = 8258;
inline constexpr int kBindingTopTurnedBitmapId = 8259;
inline constexpr int kBindingLeftTurnedBitmapId = 8260;

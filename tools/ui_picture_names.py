"""The names of the user-interface library's pictures (tools/make_ui_pictures.py).

The code names a picture by these names only, through resources/ui/PictureIds.h, which
make_ui_pictures.py writes from the tables below. An icon is named for what it shows; where
one picture serves several settings, the name is the picture's and the code says what it
stands for there. Every picture the script draws has exactly one name here (icon 800 and
bitmap 800 are two pictures).
"""


def run(names, first):
    """Names for the ids first, first + 1, ... in order."""
    return [(name, first + k) for k, name in enumerate(names)]


ICONS = [
    ("The printer's state: ready, a notice, a warning, an error.",
     run(["kPrinterReadyIconId", "kPrinterNoticeIconId", "kPrinterWarningIconId", "kPrinterErrorIconId"], 348)),
    ("Presets: the large image list in this order (a preset keeps its icon's position in it), then the "
     "mark of a changed preset drawn over its icon (overlay image 1).",
     run(["kJobFilePresetIconId", "kCopiesPresetIconId", "kTwoUpPresetIconId", "kFourUpPresetIconId",
          "kDuplexPresetIconId", "kStaplePresetIconId", "kPunchPresetIconId", "kLandscapePresetIconId",
          "kEnlargePresetIconId", "kTonerSavePresetIconId", "kFineDotsPresetIconId", "kOverlayPresetIconId",
          "kStampPresetIconId", "kEnvelopePresetIconId", "kPostcardPresetIconId", "kDraftPresetIconId",
          "kCoarseDotsPresetIconId", "kStandardPresetIconId", "kStarPresetIconId", "kPersonPresetIconId",
          "kPresetChangedIconId"], 600)),
    ("Categories of document page one.",
     run(["kLayoutCategoryIconId", "kDuplexCategoryIconId", "kStatusCategoryIconId", "kBindingCategoryIconId",
          "kFinishingCategoryIconId", "kOutputCategoryIconId", "kOptionsCategoryIconId",
          "kCopiesAndJobsCategoryIconId", "kDestinationCategoryIconId"], 650)),
    ("Staples on a portrait sheet: none, top left, top right, two on the left, two on top, bottom left, "
     "bottom right; then the same on a landscape sheet.",
     run(["kPortraitStapleNoneIconId", "kPortraitStapleTopLeftIconId", "kPortraitStapleTopRightIconId",
          "kPortraitStapleLeftTwoIconId", "kPortraitStapleTopTwoIconId", "kPortraitStapleBottomLeftIconId",
          "kPortraitStapleBottomRightIconId",
          "kLandscapeStapleNoneIconId", "kLandscapeStapleTopLeftIconId", "kLandscapeStapleTopRightIconId",
          "kLandscapeStapleLeftTwoIconId", "kLandscapeStapleTopTwoIconId", "kLandscapeStapleBottomLeftIconId",
          "kLandscapeStapleBottomRightIconId"], 665)),
    ("Punched holes on a portrait sheet: none, left, top, right; then the same on a landscape sheet.",
     run(["kPortraitPunchNoneIconId", "kPortraitPunchLeftIconId", "kPortraitPunchTopIconId",
          "kPortraitPunchRightIconId",
          "kLandscapePunchNoneIconId", "kLandscapePunchLeftIconId", "kLandscapePunchTopIconId",
          "kLandscapePunchRightIconId"], 679)),
    ("A frame inside the sheet, and one along its edges.",
     run(["kSheetInnerFrameIconId", "kSheetOuterFrameIconId"], 687)),
    ("Paper sources and paper.",
     run(["kTray1IconId", "kTray2IconId", "kManualFeederIconId", "kEnvelopeTrayIconId", "kHighCapacityTrayIconId",
          "kTrayLoadIconId", "kTransparencyIconId", "kSplitStackIconId"], 689)),
    ("Output bins: face down, face up, a sorter's bins.",
     run(["kFaceDownBinIconId", "kFaceUpBinIconId", "kSorterBinsIconId"], 697)),
    ("Settings tree and the pages' own icons. The N-up pictures show the pages of a sheet and the "
     "path they follow: two across or down, six across then down or down then across, from the left "
     "or from the right.",
     run(["kPrinterIconId", "kDocumentIconId", "kLayoutIconId", "kPagesPerSheetIconId", "kPageOrderIconId",
          "kOneByOneIconId", "kTwoAcrossIconId", "kTwoAcrossFromRightIconId", "kTwoDownIconId",
          "kTwoDownFromBottomIconId", "kSixAcrossThenDownIconId", "kSixDownThenAcrossIconId",
          "kSixAcrossFromRightIconId", "kSixDownFromRightIconId", "kPaperSizeTagIconId"], 700)),
    ("Four pages on a square sheet and on a landscape one: across then down, down then across, the "
     "same from the right.",
     run(["kFourAcrossThenDownIconId", "kFourAcrossThenDownLandscapeIconId", "kFourDownThenAcrossIconId",
          "kFourDownThenAcrossLandscapeIconId", "kFourAcrossFromRightIconId",
          "kFourAcrossFromRightLandscapeIconId", "kFourDownFromRightIconId",
          "kFourDownFromRightLandscapeIconId"], 715)),
    ("More of the settings tree and the pages.",
     run(["kPrinterStatusIconId", "kFourUpLandscapeIconId", "kFourAcrossThenDownPortraitIconId",
          "kShiftRightIconId", "kMarginShiftIconId", "kLightBulbIconId", "kColouredPaperIconId", "kPaperIconId",
          "kPaperSizeIconId", "kSheetOutIconId", "kMagnifierIconId", "kPortraitIconId", "kLandscapeIconId",
          "kCheckedSheetIconId", "kSortedSetsIconId", "kCopiesIconId", "kFineDotsIconId", "kGraphicsIconId",
          "kResolutionIconId", "kJaggedLineIconId", "kSmoothLineIconId", "kColourBarsIconId", "kThinLineIconId",
          "kDoubleLineIconId", "kFontIconId", "kJobIconId", "kPrintPositionIconId", "kOwnerTextNoneIconId",
          "kOwnerTextUserNameIconId", "kOwnerTextOwnIconId", "kFormOverlayIconId", "kReadStatusIconId",
          "kSubstitutionIconId", "kBuiltInFontTableIconId", "kPrinterFontTableIconId",
          "kBuiltInPaperTableIconId", "kPrinterPaperTableIconId", "kStandardProcessingIconId",
          "kFastProcessingIconId", "kHalftoneIconId", "kInstalledOptionsIconId", "kMemoryIconId",
          "kGreyBinIconId", "kSplitSheetsIconId", "kOffsetStackIconId", "kCheckMarkIconId", "kCrossMarkIconId",
          "kTreeMarkerIconId", "kTrayIconId", "kPrintOnOutputPaperIconId", "kScaleIconId", "kOnePageIconId",
          "kInfoIconId", "kNoteIconId", "kCautionIconId", "kLockIconId", "kMediaTypeIconId",
          "kDocumentPaperIconId", "kOutputPaperIconId"], 723)),
    ("Duplex on the long edge (also a 90 x 30 image) and on the short edge; binding on the top and on "
     "the right edge; the separator sheet.",
     run(["kDuplexLongEdgeIconId", "kDuplexShortEdgeIconId", "kBindTopIconId", "kBindRightIconId",
          "kSeparatorSheetIconId"], 782)),
    ("The job file, the printer's status read or not, the stamp, and the output folder.",
     run(["kJobFileIconId", "kPrinterCheckedIconId", "kPrinterCrossedIconId", "kStampIconId", "kFolderIconId",
          "kFolderDiskIconId"], 787)),
    ("Tab icons of the four pages: layout, paper, settings, device.",
     run(["kLayoutTabIconId", "kPaperTabIconId", "kSettingsTabIconId", "kDeviceTabIconId"], 800)),
]

_ORDERS = ["Across", "Down", "AcrossFromRight", "DownFromRight"]

BITMAPS = [
    ("The layout preview's item: every layer of the preview fits it.",
     [("kPreviewItemBitmapId", 800)]),
    ("Sheets of the layout preview, upright and turned: one-sided, duplex on the long edge, duplex on the "
     "short edge; then the same with a bold edge.",
     run(["k%sSheet%sBitmapId" % (kind, way) for kind in ("", "LongEdge", "ShortEdge", "Bold", "BoldLongEdge",
                                                          "BoldShortEdge") for way in ("Upright", "Turned")],
         3111)),
    ("One page on the sheet: plain, with a picture, numbered, numbered with a picture.",
     run(["kPageBitmapId", "kPageWithPictureBitmapId", "kNumberedPageBitmapId", "kNumberedPageWithPictureBitmapId"],
         3123)),
    ("The grid of 2, 4, 6, 8, 9 and 16 pages per sheet, upright; then turned.",
     run(["kGridOf%d%sBitmapId" % (pages, way) for way in ("Upright", "Turned") for pages in (2, 4, 6, 8, 9, 16)],
         3127)),
    ("Page numbers, black on white, then white on black (Inverse): of two pages, of four, of six and "
     "eight (six use the first six; 8233 is a spare 8), and the first and last of nine and sixteen.",
     run(["kTwoUpNumber1BitmapId", "kTwoUpNumber2BitmapId", "kTwoUpInverseNumber1BitmapId",
          "kTwoUpInverseNumber2BitmapId"], 8206) +
     run(["kFourUpNumber%dBitmapId" % n for n in range(1, 5)] +
         ["kFourUpInverseNumber%dBitmapId" % n for n in range(1, 5)], 8210) +
     run(["kEightUpNumber%dBitmapId" % n for n in range(1, 9)] +
         ["kEightUpInverseNumber%dBitmapId" % n for n in range(1, 8)] +
         ["kEightUpInverseSpareNumber8BitmapId", "kEightUpInverseNumber8BitmapId"], 8218) +
     run(["kSixteenUpNumber1BitmapId", "kSixteenUpNumber9BitmapId", "kSixteenUpNumber16BitmapId",
          "kSixteenUpInverseNumber1BitmapId", "kSixteenUpInverseNumber9BitmapId",
          "kSixteenUpInverseNumber16BitmapId"], 8235)),
    ("The path of nine and sixteen pages, upright and turned: across then down, down then across, the "
     "same from the right; black, then grey. The grey ones' first two are numbered the other way round.",
     [("kOrder%sUprightBitmapId" % o, i) for o, i in zip(_ORDERS, (8241, 8243, 8245, 8247))] +
     [("kOrder%sTurnedBitmapId" % o, i) for o, i in zip(_ORDERS, (8249, 8251, 8253, 8255))] +
     [("kGreyOrder%sUprightBitmapId" % o, i) for o, i in zip(_ORDERS, (8244, 8242, 8246, 8248))] +
     [("kGreyOrder%sTurnedBitmapId" % o, i) for o, i in zip(_ORDERS, (8250, 8252, 8254, 8256))]),
    ("Binding marks beside the bound edge: left of an upright sheet, above it, above a turned sheet, "
     "left of it.",
     run(["kBindingLeftUprightBitmapId", "kBindingTopUprightBitmapId", "kBindingTopTurnedBitmapId",
          "kBindingLeftTurnedBitmapId"], 8257)),
]

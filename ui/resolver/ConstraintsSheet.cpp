// The limits of the sheet itself, laid over whatever the rules decided: a read-only sheet
// greys every setting, an advanced sheet greys what the application's own dialog sets, and a
// user who may not write printer data cannot change the control that writes it.
#include "ui/resolver/ConstraintRules.h"
#include "ui/entry/UiContext.h"

namespace constraints {
namespace {

// Controls of the pages that change a setting.
constexpr IdRange kReadOnlyControls[] = {
    {1108, 1110}, {1112, 1112}, {1115, 1115}, {1118, 1118}, {1111, 1111}, {1113, 1114}, {1116, 1117},
    {1119, 1125}, {1128, 1130}, {1135, 1136}, {1127, 1127}, {1131, 1134}, {1137, 1138}, {4400, 4403},
    {1157, 1170}, {4151, 4152}, {4160, 4166}, {4154, 4159}, {1171, 1178}, {1140, 1140}, {1139, 1139},
    {1141, 1141}, {1143, 1143}, {1142, 1142}, {1144, 1148}, {1012, 1012}, {1201, 1205}, {1231, 1231},
    {1206, 1210}, {1212, 1215}, {1218, 1218}, {1220, 1220}, {1216, 1217}, {1219, 1219}, {1240, 1240},
    {1221, 1226}, {1236, 1238}, {1232, 1234}, {1227, 1230}, {4142, 4143}, {4145, 4145}, {4144, 4144},
    {4146, 4150}, {1002, 1002},
};
static_assert(CountIds(kReadOnlyControls) == 129);

// Tree items of those settings.
constexpr IdRange kReadOnlyItems[] = {
    {402, 405}, {407, 408}, {4304, 4304}, {4300, 4300}, {569, 569}, {4301, 4303}, {4581, 4582},
    {4595, 4595}, {4584, 4585}, {639, 641}, {410, 410}, {412, 413}, {415, 415}, {419, 419}, {421, 422},
    {424, 425}, {4311, 4311}, {426, 427}, {354, 354}, {588, 588}, {428, 428}, {598, 598}, {4575, 4578},
    {432, 436}, {438, 440}, {4330, 4330}, {788, 788}, {442, 444}, {446, 449}, {570, 570}, {450, 450},
    {453, 457}, {459, 459}, {301, 318}, {320, 320}, {322, 324}, {327, 327}, {321, 321}, {451, 451},
};
static_assert(CountIds(kReadOnlyItems) == 90);

// What the application's own print dialog sets: copies, paper, orientation, source, duplex
// and resolution.
constexpr IdRange kAdvancedControls[] = {
    {1128, 1133}, {1201, 1204}, {1218, 1218}, {1220, 1220}, {1216, 1217},
    {1219, 1219}, {1221, 1223}, {1227, 1230}, {1002, 1002},
};
static_assert(CountIds(kAdvancedControls) == 23);

constexpr IdRange kAdvancedItems[] = {{407, 407}, {419, 419}, {425, 426}, {428, 428}, {432, 432}};
static_assert(CountIds(kAdvancedItems) == 6);

constexpr int kPrinterDataControl = 1110;

template <size_t N>
void GreyControls(Resolver& r, const IdRange (&ranges)[N]) {
    for (const IdRange& range : ranges) EnableControls(r, {range}, false);
}

template <size_t N>
void GreyItems(Resolver& r, const IdRange (&ranges)[N]) {
    for (const IdRange& range : ranges) {
        for (int id = range.first; id <= range.last; ++id) EnableItems(r, {id}, false);
    }
}

}  // namespace

void ApplySheetLimits(Resolver& r) {
    if ((r.contextFlags & kUiMayChange) == 0) {
        GreyControls(r, kReadOnlyControls);
        GreyItems(r, kReadOnlyItems);
    }
    if ((r.contextFlags & kUiAdvancedSheet) != 0) {
        GreyControls(r, kAdvancedControls);
        GreyItems(r, kAdvancedItems);
    }
    if ((r.contextFlags & kUiMayWriteData) == 0) EnableControls(r, {{kPrinterDataControl, kPrinterDataControl}}, false);
}

}  // namespace constraints

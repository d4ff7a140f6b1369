// Printer-data value names kept with the printer by the user interface.
#include "settings/PrinterData.h"

LPCWSTR HalftoneInfoValueName(int dpi) {
    switch (dpi) {
        case 200: return u"DAT_CurDevHTInfo200";
        case 240: return u"DAT_CurDevHTInfo240";
        case 300: return u"DAT_CurDevHTInfo300";
        case 400: return u"DAT_CurDevHTInfo400";
        case 1200: return u"DAT_CurDevHTInfo1200";
        default: return u"DAT_CurDevHTInfo600";  // 600 and every resolution without its own value
    }
}

const DeviceSlotInfo kDeviceSlotTable[kDeviceSlotCount] = {
    {u"DEV_Feeder1", true, 201},  {u"DEV_Feeder2", true, 202}, {u"DEV_Feeder3", true, 203},
    {u"DEV_Feeder4", true, 204},  {u"DEV_Feeder5", true, 205}, {u"DEV_MSF", true, 206},
    {u"DEV_Manual", true, 207},   {u"DEV_ENV", true, 208},     {u"DEV_Duplex", false, 209},
    {u"DEV_Sorter", false, 210},  {u"DEV_Plotter", false, 211}, {u"DEV_NIC", false, 212},
    {u"DEV_RCC", false, 213},     {u"DEV_FIN1", false, 214},   {u"DEV_FIN2", false, 215},
    {u"DEV_LCS", false, 216},     {u"DEV_FUT", false, 217},    {u"DEV_HDD", false, 218},
    {u"DEV_MP", true, 219},       {u"DEV_LCH", false, 220},
};

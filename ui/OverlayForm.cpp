// Form-overlay registration. The overlay dialog and the spooler forms that an overlay file
// adds come with the overlay pages; until then registration leaves the block, the printer
// and the spooler's forms exactly as they are, and reads nothing of the block's overlay
// fields (which come unchecked from applications).
#include "ui/OverlayForm.h"

void RegisterOverlayForm(DriverDevMode* /*block*/, HANDLE /*printer*/, const ModelDescription* /*model*/) {}

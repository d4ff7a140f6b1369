#pragma once
// Form databases for the sample printer: the machine's usual forms followed by this driver's
// own forms.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/StandIn.h"

namespace kvtest {

/// The common platform forms in the platform's order (a form's position is its paper number,
/// so "15x11" is number 46), then the driver's forms (FORM_PRINTER): "はがき", "往復はがき",
/// "封筒 洋形 4 号", "15x11inch" and the landscape (" 横") variants of the eight standard papers.
/// Sizes in thousandths of a millimetre; the imageable area is the whole sheet.
std::vector<standin::FormSetup> StandardForms();

/// `count` distinct user forms ("Form 1", "Form 2", ...) of varied sizes, for benchmarks.
std::vector<standin::FormSetup> ManyForms(size_t count);

/// StandardForms() made up to `count` forms with ManyForms' user forms (as they are when it
/// already holds that many), for benchmarks of a crowded form database.
std::vector<standin::FormSetup> StandardFormsUpTo(size_t count);

/// A form whose imageable area is the whole sheet.
standin::FormSetup WholeSheetForm(const std::u16string& name, LONG width, LONG length, DWORD flags);

}  // namespace kvtest

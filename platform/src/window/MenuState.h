#pragma once
// The menu and accelerator tables of the stand-in, for the reset of the whole user side.
namespace standin::ui::core {

/// Destroys every menu and forgets the popup-menu script.
void ResetMenus();
/// Destroys every accelerator table.
void ResetAccelerators();

}  // namespace standin::ui::core

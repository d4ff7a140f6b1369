// The stand-in's reset of the whole user side between tests.
#include "platform/src/window/MenuState.h"
#include "platform/src/window/WindowState.h"

namespace standin::ui::core {
void ResetForeground();
}

namespace standin::ui {

void ResetUi() {
    core::DestroyAllWindows();
    core::ResetMessages();
    core::ResetTimers();
    core::ResetMonitors();
    core::ResetScripts();
    core::ResetForeground();
    core::ResetClasses();
    core::ResetMenus();
    core::ResetAccelerators();
}

}  // namespace standin::ui

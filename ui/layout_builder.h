// Builds a window's controls from its XML layout:
//
//   <Window size="310,100" caption="0,0,0,20">
//     <Font name="..." size="13" bold="false" italic="false"/>   (index 0, 1, ...)
//     <VerticalLayout> ... controls ... </VerticalLayout>          (one root control)
//   </Window>
//
// Controls: VerticalLayout and HorizontalLayout (which hold others), Label,
// Button, Progress. Unknown attributes are ignored; an unknown element, a
// malformed value or a second root control fails the build.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "ui/view.h"

namespace ui {

struct BuildResult {
    std::unique_ptr<View> view;  // null on failure
    std::string error;
};

BuildResult BuildView(std::string_view xmlUtf8);

}  // namespace ui

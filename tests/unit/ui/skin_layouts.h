// The skin's real layouts, read from the source tree.
#pragma once

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "ui/layout_builder.h"

namespace ui {

inline std::string ReadSkinFile(const std::string& name)
{
    std::ifstream in(std::string(SKIN_DIR) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Built and arranged at the layout's own size.
inline std::unique_ptr<View> LoadSkinLayout(const std::string& name)
{
    BuildResult built = BuildView(ReadSkinFile(name));
    EXPECT_TRUE(built.view) << name << ": " << built.error;
    if (built.view) built.view->Arrange(built.view->InitialSize());
    return std::move(built.view);
}

}  // namespace ui

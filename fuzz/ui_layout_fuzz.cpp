// Window layouts: reading, building, arranging at odd sizes, painting and
// mouse events must hold for any input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ui/layout_builder.h"

namespace {

class NullCanvas : public ui::Canvas {
public:
    void Fill(const ui::Rect&, ui::Color) override {}
    void PaintImage(const std::wstring&, const ui::Rect&) override {}
    void PaintText(const std::wstring&, const ui::Rect&, const ui::TextStyle&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ui::BuildResult built = ui::BuildView(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!built.view) return 0;
    ui::View& view = *built.view;
    NullCanvas canvas;
    for (ui::Size s : {view.InitialSize(), ui::Size{0, 0}, ui::Size{7, 3000}}) {
        view.Arrange(s);
        view.Paint(canvas);
        for (int y = 0; y < s.height && y < 200; y += 9) {
            for (int x = 0; x < s.width && x < 400; x += 13) {
                const ui::Point p{x, y};
                view.IsCaption(p);
                view.MouseMove(p);
                if (view.MouseDown(p)) {
                    if (ui::Control* pushed = view.PushedButton()) pushed->SetVisible(false);
                    view.MouseUp(p);
                }
            }
        }
        view.MouseLeave();
    }
    return 0;
}

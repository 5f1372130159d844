#include "ui/layout_builder.h"

#include "ui/container.h"
#include "ui/label.h"
#include "ui/log_text.h"
#include "ui/progress.h"
#include "ui/xml_reader.h"

namespace ui {
namespace {

std::unique_ptr<Control> MakeControl(const std::wstring& element)
{
    if (element == L"VerticalLayout") return std::make_unique<VerticalLayout>();
    if (element == L"HorizontalLayout") return std::make_unique<HorizontalLayout>();
    if (element == L"Label") return std::make_unique<Label>();
    if (element == L"Button") return std::make_unique<Button>();
    if (element == L"Progress") return std::make_unique<Progress>();
    return nullptr;
}

std::unique_ptr<Control> BuildControl(const XmlElement& element, Align inherited, std::string& error)
{
    std::unique_ptr<Control> control = MakeControl(element.name);
    if (!control) {
        error = "unknown element <" + Narrow(element.name) + ">";
        return nullptr;
    }
    control->InheritAlign(inherited);
    for (const auto& attribute : element.attributes) {
        if (!control->SetAttribute(attribute.name, attribute.value)) {
            error = "<" + Narrow(element.name) + "> has a bad " + Narrow(attribute.name) + " \"" +
                    Narrow(attribute.value) + "\"";
            return nullptr;
        }
    }
    auto* container = dynamic_cast<Container*>(control.get());
    if (!container && !element.children.empty()) {
        error = "<" + Narrow(element.name) + "> cannot hold other controls";
        return nullptr;
    }
    for (const auto& child : element.children) {
        std::unique_ptr<Control> built = BuildControl(child, control->GetAlign(), error);
        if (!built) return nullptr;
        container->Add(std::move(built));
    }
    return control;
}

bool BuildFont(const XmlElement& element, FontSpec& font, std::string& error)
{
    for (const auto& a : element.attributes) {
        bool ok = true;
        if (a.name == L"name") {
            font.face = a.value;
        } else if (a.name == L"size") {
            ok = ParseInt(a.value, font.size) && font.size > 0;
        } else if (a.name == L"bold") {
            ok = ParseBool(a.value, font.bold);
        } else if (a.name == L"italic") {
            ok = ParseBool(a.value, font.italic);
        }
        if (!ok) {
            error = "<Font> has a bad " + Narrow(a.name) + " \"" + Narrow(a.value) + "\"";
            return false;
        }
    }
    if (!element.children.empty()) {
        error = "<Font> cannot hold elements";
        return false;
    }
    return true;
}

}  // namespace

BuildResult BuildView(std::string_view xmlUtf8)
{
    BuildResult result;
    XmlParseResult xml = ParseXml(xmlUtf8);
    if (!xml.ok) {
        result.error = "XML: " + xml.error + " at byte " + std::to_string(xml.offset);
        return result;
    }
    const XmlElement& window = xml.root;
    if (window.name != L"Window") {
        result.error = "the root element is not <Window>";
        return result;
    }
    Size size;
    Edges caption;
    if (const std::wstring* value = window.Attribute(L"size"); value && !ParseSize(*value, size)) {
        result.error = "<Window> has a bad size";
        return result;
    }
    if (const std::wstring* value = window.Attribute(L"caption"); value && !ParseEdges(*value, caption)) {
        result.error = "<Window> has a bad caption";
        return result;
    }

    std::vector<FontSpec> fonts;
    std::unique_ptr<Control> root;
    for (const auto& child : window.children) {
        if (child.name == L"Font") {
            FontSpec font;
            if (!BuildFont(child, font, result.error)) return result;
            fonts.push_back(std::move(font));
            continue;
        }
        if (root) {
            result.error = "<Window> holds more than one root control";
            return result;
        }
        root = BuildControl(child, Align::Left, result.error);
        if (!root) return result;
    }
    if (!root) {
        result.error = "<Window> holds no control";
        return result;
    }
    result.view = std::make_unique<View>(std::move(root), std::move(fonts), size, caption);
    return result;
}

}  // namespace ui

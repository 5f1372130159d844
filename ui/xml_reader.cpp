#include "ui/xml_reader.h"

#include <cstdint>

namespace ui {
namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsNameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
}

bool IsNameChar(char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

void AppendCodePoint(std::wstring& out, std::uint32_t cp)
{
    if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<wchar_t>(cp));
    }
}

bool IsXmlChar(std::uint32_t cp)
{
    if (cp < 0x20) return cp == 0x9 || cp == 0xA || cp == 0xD;
    return (cp <= 0xD7FF) || (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    XmlParseResult Run()
    {
        XmlParseResult result;
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
        if (!SkipMisc() || !Expect('<', "no root element") || !ParseElement(result.root, 1) || !SkipMisc()) {
            result.error = error_;
            result.offset = errorOffset_;
            result.root = XmlElement{};
            return result;
        }
        if (pos_ != text_.size()) {
            result.error = "content after the root element";
            result.offset = pos_;
            result.root = XmlElement{};
            return result;
        }
        result.ok = true;
        return result;
    }

private:
    bool Fail(const char* message)
    {
        if (error_.empty()) {
            error_ = message;
            errorOffset_ = pos_;
        }
        return false;
    }

    bool AtEnd() const { return pos_ >= text_.size(); }
    bool StartsWith(std::string_view s) const { return text_.substr(pos_, s.size()) == s; }

    bool Expect(char c, const char* message)
    {
        if (AtEnd() || text_[pos_] != c) return Fail(message);
        ++pos_;
        return true;
    }

    void SkipSpace()
    {
        while (!AtEnd() && IsSpace(text_[pos_]))
            ++pos_;
    }

    // Skips up to and past the terminator; false when it never comes.
    bool SkipPast(std::string_view terminator, const char* message)
    {
        std::size_t end = text_.find(terminator, pos_);
        if (end == std::string_view::npos) {
            pos_ = text_.size();
            return Fail(message);
        }
        pos_ = end + terminator.size();
        return true;
    }

    // White space, comments and processing instructions outside the root.
    bool SkipMisc()
    {
        for (;;) {
            SkipSpace();
            if (StartsWith("<?")) {
                if (!SkipPast("?>", "unterminated processing instruction")) return false;
            } else if (StartsWith("<!--")) {
                if (!SkipPast("-->", "unterminated comment")) return false;
            } else if (StartsWith("<!")) {
                return Fail("document type declarations are not supported");
            } else if (!AtEnd() && text_[pos_] != '<') {
                return Fail("text outside the root element");
            } else {
                return true;
            }
        }
    }

    // Decodes one UTF-8 sequence at pos_.
    bool DecodeUtf8(std::uint32_t& cp)
    {
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text_[pos_ + i]); };
        const unsigned char lead = byte(0);
        int length;
        std::uint32_t min;
        if (lead < 0x80) {
            cp = lead;
            length = 1;
            min = 0;
        } else if ((lead & 0xE0) == 0xC0) {
            cp = lead & 0x1F;
            length = 2;
            min = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            cp = lead & 0x0F;
            length = 3;
            min = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            cp = lead & 0x07;
            length = 4;
            min = 0x10000;
        } else {
            return Fail("invalid UTF-8");
        }
        if (text_.size() - pos_ < static_cast<std::size_t>(length)) return Fail("invalid UTF-8");
        for (int i = 1; i < length; ++i) {
            if ((byte(i) & 0xC0) != 0x80) return Fail("invalid UTF-8");
            cp = (cp << 6) | (byte(i) & 0x3F);
        }
        if (cp < min || (cp >= 0xD800 && cp <= 0xDFFF) || !IsXmlChar(cp)) return Fail("invalid UTF-8");
        pos_ += length;
        return true;
    }

    bool ParseName(std::wstring& name)
    {
        if (AtEnd() || !IsNameStart(text_[pos_])) return Fail("a name was expected");
        while (!AtEnd() && IsNameChar(text_[pos_]))
            name.push_back(static_cast<wchar_t>(text_[pos_++]));
        return true;
    }

    bool ParseReference(std::wstring& out)
    {
        ++pos_;  // '&'
        std::size_t end = text_.find(';', pos_);
        if (end == std::string_view::npos || end - pos_ > 10) return Fail("unterminated reference");
        const std::string_view ref = text_.substr(pos_, end - pos_);
        static const struct {
            std::string_view name;
            wchar_t value;
        } kEntities[] = {{"lt", L'<'}, {"gt", L'>'}, {"amp", L'&'}, {"quot", L'"'}, {"apos", L'\''}};
        for (const auto& entity : kEntities) {
            if (ref == entity.name) {
                out.push_back(entity.value);
                pos_ = end + 1;
                return true;
            }
        }
        if (ref.size() < 2 || ref[0] != '#') return Fail("unknown entity");
        const bool hex = ref[1] == 'x';
        const std::string_view digits = ref.substr(hex ? 2 : 1);
        if (digits.empty()) return Fail("empty character reference");
        std::uint32_t cp = 0;
        for (char c : digits) {
            int digit;
            if (c >= '0' && c <= '9') {
                digit = c - '0';
            } else if (hex && c >= 'a' && c <= 'f') {
                digit = c - 'a' + 10;
            } else if (hex && c >= 'A' && c <= 'F') {
                digit = c - 'A' + 10;
            } else {
                return Fail("bad character reference");
            }
            cp = cp * (hex ? 16 : 10) + digit;
            if (cp > 0x10FFFF) return Fail("bad character reference");
        }
        if (!IsXmlChar(cp)) return Fail("bad character reference");
        AppendCodePoint(out, cp);
        pos_ = end + 1;
        return true;
    }

    bool ParseAttributeValue(std::wstring& value)
    {
        if (AtEnd() || (text_[pos_] != '"' && text_[pos_] != '\''))
            return Fail("a quoted value was expected");
        const char quote = text_[pos_++];
        for (;;) {
            if (AtEnd()) return Fail("unterminated attribute value");
            const char c = text_[pos_];
            if (c == quote) {
                ++pos_;
                return true;
            }
            if (c == '<') return Fail("'<' in an attribute value");
            if (c == '&') {
                if (!ParseReference(value)) return false;
                continue;
            }
            if (IsSpace(c)) {
                value.push_back(L' ');
                ++pos_;
                continue;
            }
            std::uint32_t cp;
            if (!DecodeUtf8(cp)) return false;
            AppendCodePoint(value, cp);
        }
    }

    // Called with pos_ just past '<'.
    bool ParseElement(XmlElement& element, int depth)
    {
        if (depth > kMaxXmlDepth) return Fail("elements nest too deeply");
        if (!ParseName(element.name)) return false;
        for (;;) {
            const std::size_t before = pos_;
            SkipSpace();
            if (StartsWith("/>")) {
                pos_ += 2;
                return true;
            }
            if (!AtEnd() && text_[pos_] == '>') {
                ++pos_;
                break;
            }
            if (pos_ == before) return Fail("white space or the end of the tag was expected");
            XmlAttribute attribute;
            if (!ParseName(attribute.name)) return false;
            if (element.Attribute(attribute.name)) return Fail("duplicate attribute");
            SkipSpace();
            if (!Expect('=', "'=' was expected")) return false;
            SkipSpace();
            if (!ParseAttributeValue(attribute.value)) return false;
            element.attributes.push_back(std::move(attribute));
        }
        return ParseContent(element, depth);
    }

    bool ParseContent(XmlElement& element, int depth)
    {
        for (;;) {
            std::size_t lt = text_.find('<', pos_);
            if (lt == std::string_view::npos) {
                pos_ = text_.size();
                return Fail("unterminated element");
            }
            pos_ = lt;
            if (StartsWith("</")) {
                pos_ += 2;
                std::wstring name;
                if (!ParseName(name)) return false;
                if (name != element.name) return Fail("mismatched end tag");
                SkipSpace();
                return Expect('>', "'>' was expected");
            }
            if (StartsWith("<!--")) {
                if (!SkipPast("-->", "unterminated comment")) return false;
            } else if (StartsWith("<![CDATA[")) {
                if (!SkipPast("]]>", "unterminated CDATA section")) return false;
            } else if (StartsWith("<?")) {
                if (!SkipPast("?>", "unterminated processing instruction")) return false;
            } else if (StartsWith("<!")) {
                return Fail("unexpected declaration");
            } else {
                ++pos_;
                element.children.emplace_back();
                if (!ParseElement(element.children.back(), depth + 1)) return false;
            }
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::string error_;
    std::size_t errorOffset_ = 0;
};

}  // namespace

const std::wstring* XmlElement::Attribute(std::wstring_view attributeName) const
{
    for (const auto& attribute : attributes) {
        if (attribute.name == attributeName) return &attribute.value;
    }
    return nullptr;
}

XmlParseResult ParseXml(std::string_view utf8)
{
    return Parser(utf8).Run();
}

}  // namespace ui

// Patch text reader: one statement a line; `{` opens a skin or container block at the end of
// its line, `}` alone closes it.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/patch_text/patch_text.h"

namespace md::patch_text {

namespace {

struct Token {
    enum class Kind { kWord, kString, kNumber, kDot, kHash, kArrow, kEquals, kOpen, kClose };
    Kind kind;
    std::string text;  // word, string contents, number as written
    int64_t number = 0;
};

// Signals a syntax error; caught by Parse.
struct SyntaxError {
    std::string message;
    int line = -1;  // -1: the line being read
};

[[noreturn]] void Fail(std::string message, int line = -1) {
    throw SyntaxError{std::move(message), line};
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsWordStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The tokens of one line; a '#' at the start or after a blank begins a comment.
std::vector<Token> Tokenize(std::string_view line) {
    std::vector<Token> out;
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            if (out.empty() || out.back().kind != Token::Kind::kDot || i == 0 ||
                line[i - 1] != '.') {
                break;  // comment
            }
            out.push_back({Token::Kind::kHash, "#", 0});
            ++i;
        } else if (c == '"') {
            std::string s;
            ++i;
            for (;;) {
                if (i >= line.size()) Fail("unterminated string");
                const char d = line[i++];
                if (d == '"') break;
                if (d != '\\') {
                    s.push_back(d);
                    continue;
                }
                if (i >= line.size()) Fail("unterminated string");
                const char e = line[i++];
                switch (e) {
                    case '\\':
                        s.push_back('\\');
                        break;
                    case '"':
                        s.push_back('"');
                        break;
                    case 'n':
                        s.push_back('\n');
                        break;
                    case 't':
                        s.push_back('\t');
                        break;
                    case 'r':
                        s.push_back('\r');
                        break;
                    case 'x': {
                        const int hi = i < line.size() ? HexDigit(line[i]) : -1;
                        const int lo = i + 1 < line.size() ? HexDigit(line[i + 1]) : -1;
                        if (hi < 0 || lo < 0) Fail("\\x needs two hex digits");
                        s.push_back(static_cast<char>(hi * 16 + lo));
                        i += 2;
                        break;
                    }
                    default:
                        Fail(std::string("unknown escape \\") + e);
                }
            }
            out.push_back({Token::Kind::kString, std::move(s), 0});
        } else if (IsDigit(c) || (c == '-' && i + 1 < line.size() && IsDigit(line[i + 1]))) {
            const size_t start = i;
            if (c == '-') ++i;
            int64_t value = 0;
            bool hex = false;
            if (line.compare(i, 2, "0x") == 0 || line.compare(i, 2, "0X") == 0) {
                hex = true;
                i += 2;
            }
            const size_t digits = i;
            while (i < line.size() && (hex ? HexDigit(line[i]) >= 0 : IsDigit(line[i]))) {
                const int64_t digit = hex ? HexDigit(line[i]) : line[i] - '0';
                if (value > (INT64_MAX - digit) / (hex ? 16 : 10)) Fail("number too large");
                value = value * (hex ? 16 : 10) + digit;
                ++i;
            }
            if (i == digits || (i < line.size() && IsWordChar(line[i]))) {
                Fail("bad number \"" + std::string(line.substr(start, i + 1 - start)) + "\"");
            }
            if (c == '-') value = -value;
            out.push_back(
                {Token::Kind::kNumber, std::string(line.substr(start, i - start)), value});
        } else if (IsWordStart(c)) {
            const size_t start = i;
            while (i < line.size() && IsWordChar(line[i])) ++i;
            out.push_back({Token::Kind::kWord, std::string(line.substr(start, i - start)), 0});
        } else if (c == '-' && i + 1 < line.size() && line[i + 1] == '>') {
            out.push_back({Token::Kind::kArrow, "->", 0});
            i += 2;
        } else if (c == '.' || c == '=' || c == '{' || c == '}') {
            const Token::Kind kind = c == '.'   ? Token::Kind::kDot
                                     : c == '=' ? Token::Kind::kEquals
                                     : c == '{' ? Token::Kind::kOpen
                                                : Token::Kind::kClose;
            out.push_back({kind, std::string(1, c), 0});
            ++i;
        } else {
            Fail(std::string("unexpected character '") + c + "'");
        }
    }
    return out;
}

std::string Describe(const Token& t) {
    switch (t.kind) {
        case Token::Kind::kString:
            return "a string";
        case Token::Kind::kNumber:
            return "number " + t.text;
        default:
            return "\"" + t.text + "\"";
    }
}

// Reads the tokens of one line.
class Cursor {
public:
    explicit Cursor(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    bool AtEnd() const { return pos_ >= tokens_.size(); }
    const Token* Peek() const { return AtEnd() ? nullptr : &tokens_[pos_]; }
    bool PeekIs(Token::Kind kind) const { return !AtEnd() && tokens_[pos_].kind == kind; }

    const Token& Next(Token::Kind kind, const char* what) {
        if (AtEnd()) Fail(std::string("expected ") + what + " at end of line");
        const Token& t = tokens_[pos_];
        if (t.kind != kind) Fail(std::string("expected ") + what + ", found " + Describe(t));
        ++pos_;
        return t;
    }
    std::string Word(const char* what) { return Next(Token::Kind::kWord, what).text; }
    std::string String(const char* what) { return Next(Token::Kind::kString, what).text; }
    int64_t Number(const char* what) { return Next(Token::Kind::kNumber, what).number; }

    int32_t Int32(const char* what) {
        const int64_t n = Number(what);
        if (n < INT32_MIN || n > INT32_MAX) Fail(std::string(what) + " out of range");
        return static_cast<int32_t>(n);
    }
    // Decimal or hex; hex up to 0xFFFFFFFF reads as the int32 of those bits.
    int32_t Bits32(const char* what) {
        const int64_t n = Number(what);
        if (n < INT32_MIN || n > UINT32_MAX) Fail(std::string(what) + " out of range");
        return static_cast<int32_t>(static_cast<uint32_t>(n));
    }
    int32_t Range(const char* what, int32_t lo, int32_t hi) {
        const int64_t n = Number(what);
        if (n < lo || n > hi) {
            Fail(std::string(what) + " must be " + std::to_string(lo) + " to " +
                 std::to_string(hi));
        }
        return static_cast<int32_t>(n);
    }
    bool YesNo(const char* what) {
        const std::string w = Word(what);
        if (w == "yes") return true;
        if (w == "no") return false;
        Fail(std::string(what) + " must be yes or no");
    }
    Rect RectValue(const char* what) {
        Rect r;
        r.left = Int32(what);
        r.top = Int32(what);
        r.right = Int32(what);
        r.bottom = Int32(what);
        return r;
    }
    Point PointValue(const char* what) {
        Point p;
        p.x = Int32(what);
        p.y = Int32(what);
        return p;
    }
    PlugRef Ref() {
        PlugRef r;
        r.path.push_back(Word("a module name"));
        for (;;) {
            Next(Token::Kind::kDot, "'.' and a plug");
            if (PeekIs(Token::Kind::kWord)) {
                r.path.push_back(Word("a module name"));
                continue;
            }
            if (PeekIs(Token::Kind::kString)) {
                r.name = String("a plug name");
            } else if (PeekIs(Token::Kind::kHash)) {
                ++pos_;
                r.index = Range("plug index", 0, INT32_MAX);
            } else {
                Fail("expected a plug name or #index after '.'");
            }
            return r;
        }
    }
    void End() {
        if (!AtEnd()) Fail("unexpected " + Describe(tokens_[pos_]));
    }
    // True (and consumed) when the line ends with '{'.
    bool OpensBlock() {
        if (tokens_.empty() || tokens_.back().kind != Token::Kind::kOpen) return false;
        tokens_.pop_back();
        return true;
    }

private:
    std::vector<Token> tokens_;
    size_t pos_ = 0;
};

void ReadSource(Cursor& c, FileSource& source) {
    if (c.Word("\"from\"") != "from") Fail("expected \"from\" and a path");
    source.path = c.String("a path after \"from\"");
    while (!c.AtEnd()) {
        const std::string key = c.Word("\"size\" or \"hash\"");
        if (key == "size") {
            const int64_t n = c.Number("a size");
            if (n < 0) Fail("size must not be negative");
            source.size = static_cast<uint64_t>(n);
        } else if (key == "hash") {
            const int64_t n = c.Number("a hash");
            if (n < 0 || n > UINT32_MAX) Fail("hash out of range");
            source.hash = static_cast<uint32_t>(n);
        } else {
            Fail("unknown word \"" + key + "\"");
        }
    }
}

void ReadModuleAttributes(Cursor& c, ModuleText& m) {
    while (!c.AtEnd()) {
        const std::string key = c.Word("an attribute");
        if (key == "title") {
            m.title = c.String("a title");
        } else if (key == "disabled") {
            m.disabled = true;
        } else if (key == "rect") {
            m.rect = c.RectValue("rect");
        } else if (key == "panel") {
            m.panel = c.RectValue("panel");
        } else {
            Fail("unknown attribute \"" + key + "\"");
        }
    }
}

int32_t VstFlagBit(const std::string& word) {
    if (word == "instrument") return vst_flag::kInstrument;
    if (word == "stereo_pairs") return vst_flag::kStereoPairs;
    if (word == "own_branding") return vst_flag::kOwnBranding;
    if (word == "host_time") return vst_flag::kWantsHostTime;
    Fail("unknown VST flag \"" + word + "\"");
}

class Parser {
public:
    PatchText Run(std::string_view text, int& line_number) {
        size_t pos = 0;
        line_number = 0;
        while (pos <= text.size()) {
            const size_t end = std::min(text.find('\n', pos), text.size());
            ++line_number;
            line_ = line_number;
            Line(Cursor(Tokenize(text.substr(pos, end - pos))));
            if (end == text.size()) break;
            pos = end + 1;
        }
        if (!stack_.empty()) Fail("block not closed with \"}\"", stack_.back().line);
        if (!out_.root) Fail("the text has no root container", 0);
        return std::move(out_);
    }

private:
    struct Context {
        SkinText* skin = nullptr;  // else a container block
        Block* block = nullptr;
        int line = 0;  // where it opened
    };

    void Line(Cursor c) {
        if (c.AtEnd()) return;
        if (c.PeekIs(Token::Kind::kClose)) {
            c.Next(Token::Kind::kClose, "'}'");
            c.End();
            if (stack_.empty()) Fail("\"}\" without a block");
            stack_.pop_back();
            return;
        }
        const bool opens = c.OpensBlock();
        const std::string key = c.Word("a statement");
        if (stack_.empty()) {
            TopLevel(key, c, opens);
        } else if (stack_.back().skin != nullptr) {
            if (opens) Fail("unexpected '{'");
            SkinLine(*stack_.back().skin, key, c);
        } else {
            BlockLine(*stack_.back().block, key, c, opens);
        }
    }

    void TopLevel(const std::string& key, Cursor& c, bool opens) {
        DocumentHeader& h = out_.header;
        if (out_.root) Fail("\"" + key + "\" after the root container");
        if (key == "skin") {
            if (!opens) Fail("expected '{' after the skin name");
            SkinText& s = out_.skins.emplace_back();
            s.line = line_;
            s.name = c.String("a skin name");
            c.End();
            stack_.push_back({&s, nullptr, line_});
            return;
        }
        if (key == "root") {
            if (!opens) Fail("expected '{' at the end of the root line");
            ModuleText& m = out_.root.emplace();
            m.line = line_;
            m.type = c.String("a module type");
            ReadModuleAttributes(c, m);
            m.block = std::make_unique<Block>();
            stack_.push_back({nullptr, m.block.get(), line_});
            return;
        }
        if (opens) Fail("unexpected '{'");
        if (key == "plugin_id") {
            h.plugin_id = c.String("an identifier");
        } else if (key == "option") {
            h.option_flag = c.YesNo("option");
            h.option_text = c.String("the option text");
        } else if (key == "can_mono") {
            h.can_mono = c.YesNo("can_mono");
        } else if (key == "panel_size") {
            h.panel_width = c.Int32("panel width");
            h.panel_height = c.Int32("panel height");
        } else if (key == "vst_flags") {
            h.vst_flags = 0;
            do {
                if (c.PeekIs(Token::Kind::kNumber)) {
                    h.vst_flags |= c.Bits32("flags");
                } else {
                    h.vst_flags |= VstFlagBit(c.Word("a flag"));
                }
            } while (!c.AtEnd());
        } else if (key == "programs") {
            h.program_count = c.Int32("program count");
        } else if (key == "vendor") {
            h.vendor_text = c.String("a text");
        } else if (key == "product") {
            h.product_text = c.String("a text");
        } else if (key == "document_text") {
            h.document_text = c.String("a text");
        } else if (key == "document_flag") {
            h.document_flag = c.YesNo("document_flag");
        } else if (key == "global_flag") {
            h.global_flag = c.YesNo("global_flag");
        } else if (key == "text2") {
            h.text2 = c.String("a text");
        } else if (key == "text3") {
            h.text3 = c.String("a text");
        } else if (key == "file") {
            FileText& f = out_.files.emplace_back();
            f.line = line_;
            f.stored_name = c.String("the stored file name");
            ReadSource(c, f.source);
        } else {
            Fail("unknown statement \"" + key + "\"");
        }
        c.End();
    }

    void SkinLine(SkinText& skin, const std::string& key, Cursor& c) {
        if (key == "font") {
            FontText& f = skin.fonts.emplace_back();
            f.line = line_;
            f.name = c.String("a font name");
            while (!c.AtEnd()) {
                const std::string k = c.Word("a font attribute");
                if (k == "family") {
                    f.family = c.String("a font family");
                } else if (k == "size") {
                    f.size = c.Int32("size");
                } else if (k == "colour") {
                    f.colour = c.Bits32("colour");
                } else if (k == "background") {
                    f.background = c.Bits32("background");
                } else if (k == "flags") {
                    f.flags = c.Bits32("flags");
                } else {
                    Fail("unknown font attribute \"" + k + "\"");
                }
            }
            return;
        }
        if (key != "bitmap" && key != "animated") Fail("unknown skin statement \"" + key + "\"");
        BitmapText& b = skin.bitmaps.emplace_back();
        b.line = line_;
        b.animated = key == "animated";
        b.name = c.String("a bitmap name");
        while (!c.AtEnd() && !(c.Peek()->kind == Token::Kind::kWord && c.Peek()->text == "from")) {
            const std::string k = c.Word("a bitmap attribute");
            if (k == "width") {
                b.width = c.Int32("width");
            } else if (k == "height") {
                b.height = c.Int32("height");
            } else if (k == "mode") {
                b.pixel_mode = c.Int32("mode");
            } else if (!b.animated) {
                Fail("unknown bitmap attribute \"" + k + "\"");
            } else if (k == "segments") {
                b.segments = c.Int32("segments");
            } else if (k == "anim_mode") {
                b.mode = c.Int32("anim_mode");
            } else if (k == "range") {
                b.range_start = c.Int32("range start");
                b.range_end = c.Int32("range end");
            } else if (k == "handle") {
                b.handle = c.RectValue("handle");
            } else if (k == "frame") {
                b.frame_width = c.Int32("frame width");
                b.frame_height = c.Int32("frame height");
            } else if (k == "last_frame") {
                b.last_frame = c.Int32("last_frame");
            } else if (k == "type") {
                b.type = c.Int32("type");
            } else if (k == "padding") {
                b.padding_left = c.Int32("padding");
                b.padding_right = c.Int32("padding");
                b.padding_top = c.Int32("padding");
                b.padding_bottom = c.Int32("padding");
            } else {
                Fail("unknown bitmap attribute \"" + k + "\"");
            }
        }
        ReadSource(c, b.source);
    }

    void BlockLine(Block& block, const std::string& key, Cursor& c, bool opens) {
        if (key == "module" || key == "container") {
            const bool container = key == "container";
            if (container != opens) {
                Fail(container ? "expected '{' at the end of the container line"
                               : "a module has no block; use \"container\"");
            }
            ModuleText& m = block.modules.emplace_back();
            m.line = line_;
            m.name = c.Word("a module name");
            if (m.name == "self") Fail("\"self\" names the container itself");
            for (const ModuleText& other : block.modules) {
                if (&other != &m && other.name == m.name)
                    Fail("module \"" + m.name + "\" given twice");
            }
            m.type = c.String("a module type");
            ReadModuleAttributes(c, m);
            if (container) {
                m.block = std::make_unique<Block>();
                stack_.push_back({nullptr, m.block.get(), line_});
            }
            return;
        }
        if (opens) Fail("unexpected '{'");
        if (key == "connect") {
            Statement& s = Add(block, Statement::Kind::kConnect);
            s.a = c.Ref();
            c.Next(Token::Kind::kArrow, "'->'");
            s.b = c.Ref();
        } else if (key == "add_plug") {
            Add(block, Statement::Kind::kAddPlug).a = c.Ref();
        } else if (key == "name") {
            Statement& s = Add(block, Statement::Kind::kName);
            s.a = c.Ref();
            s.text = c.String("the plug's name");
        } else if (key == "set") {
            Statement& s = Add(block, Statement::Kind::kSet);
            s.a = c.Ref();
            c.Next(Token::Kind::kEquals, "'='");
            s.text = c.String("a value");
        } else if (key == "panel_view") {
            block.panel_view = c.RectValue("panel_view");
        } else if (key == "structure_view") {
            block.structure_view = c.RectValue("structure_view");
        } else if (key == "panel_scroll") {
            block.panel_scroll = c.PointValue("panel_scroll");
        } else if (key == "structure_scroll") {
            block.structure_scroll = c.PointValue("structure_scroll");
        } else if (key == "container_flags") {
            block.flags = c.Bits32("container_flags");
        } else if (key == "skin") {
            block.skin = c.String("a skin name");
        } else if (key == "spare_hidden") {
            block.spare_hidden = true;
        } else if (key == "current_patch") {
            block.current_patch = c.Range("current_patch", 0, 127);
        } else if (key == "patch") {
            const int32_t n = c.Range("patch number", 0, 127);
            block.patch_names.emplace_back(n, c.String("a patch name"));
        } else if (key == "parameter") {
            ParameterText& p = block.parameters.emplace_back();
            p.line = line_;
            p.handle = c.Range("parameter handle", 0, INT32_MAX);
            for (const ParameterText& other : block.parameters) {
                if (&other != &p && other.handle == p.handle) {
                    Fail("parameter " + std::to_string(p.handle) + " given twice");
                }
            }
            p.kind = c.Word("list, text or float");
            if (p.kind != "list" && p.kind != "text" && p.kind != "float") {
                Fail("parameter kind must be list, text or float");
            }
            p.name = c.String("a parameter name");
            while (!c.AtEnd()) {
                const std::string k = c.Word("a parameter attribute");
                if (k == "plug") {
                    p.plug = c.Ref();
                } else if (k == "midi") {
                    p.midi_controller = c.Int32("midi");
                } else if (k == "ignore_program_change") {
                    p.ignore_program_change = true;
                } else {
                    Fail("unknown parameter attribute \"" + k + "\"");
                }
            }
        } else if (key == "value") {
            const int32_t handle = c.Range("parameter handle", 0, INT32_MAX);
            ParameterText* p = nullptr;
            for (ParameterText& candidate : block.parameters) {
                if (candidate.handle == handle) p = &candidate;
            }
            if (p == nullptr) Fail("no parameter " + std::to_string(handle) + " before this line");
            const int32_t patch = c.Range("patch number", 0, 127);
            p->values.emplace_back(patch, c.String("a value"));
        } else {
            Fail("unknown statement \"" + key + "\"");
        }
        c.End();
    }

    Statement& Add(Block& block, Statement::Kind kind) {
        Statement& s = block.statements.emplace_back();
        s.kind = kind;
        s.line = line_;
        return s;
    }

    PatchText out_;
    std::vector<Context> stack_;
    int line_ = 0;
};

}  // namespace

std::optional<PatchText> Parse(std::string_view text, Error* error) {
    int line = 0;
    try {
        return Parser().Run(text, line);
    } catch (const SyntaxError& e) {
        if (error != nullptr) *error = Error{e.line < 0 ? line : e.line, e.message};
    }
    return std::nullopt;
}

}  // namespace md::patch_text

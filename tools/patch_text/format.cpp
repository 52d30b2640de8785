// Patch text writer: the one layout Print produces and the parser reads back.
#include <cinttypes>
#include <cstdio>
#include <string>

#include "tools/patch_text/builder.h"
#include "tools/patch_text/patch_text.h"

namespace md::patch_text {

namespace {

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (u < 0x20 || u > 0x7E) {
                    char hex[5];
                    std::snprintf(hex, sizeof hex, "\\x%02x", u);
                    out += hex;
                } else {
                    out.push_back(c);
                }
        }
    }
    return out + "\"";
}

std::string Hex(int32_t bits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%" PRIx32, static_cast<uint32_t>(bits));
    return text;
}

std::string RectText(const Rect& r) {
    return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
           " " + std::to_string(r.bottom);
}

std::string PointText(const Point& p) {
    return std::to_string(p.x) + " " + std::to_string(p.y);
}

std::string YesNo(bool b) {
    return b ? "yes" : "no";
}

std::string RefText(const PlugRef& r) {
    std::string out;
    for (const std::string& name : r.path) out += name + ".";
    return out + (r.name ? Quote(*r.name) : "#" + std::to_string(r.index));
}

std::string SourceText(const FileSource& s) {
    std::string out = "from " + Quote(s.path);
    if (s.size) out += " size " + std::to_string(*s.size);
    if (s.hash) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%08" PRIx32, *s.hash);
        out += std::string(" hash ") + text;
    }
    return out;
}

std::string VstFlagsText(int32_t flags) {
    static constexpr struct {
        int32_t bit;
        const char* name;
    } kBits[] = {{vst_flag::kInstrument, "instrument"},
                 {vst_flag::kStereoPairs, "stereo_pairs"},
                 {vst_flag::kOwnBranding, "own_branding"},
                 {vst_flag::kWantsHostTime, "host_time"}};
    std::string out;
    for (const auto& b : kBits) {
        if (flags & b.bit) {
            out += std::string(" ") + b.name;
            flags &= ~b.bit;
        }
    }
    if (flags != 0) out += " " + Hex(flags);
    return out;
}

}  // namespace

std::string StatementText(const Statement& s) {
    switch (s.kind) {
        case Statement::Kind::kConnect:
            return "connect " + RefText(s.a) + " -> " + RefText(s.b);
        case Statement::Kind::kAddPlug:
            return "add_plug " + RefText(s.a);
        case Statement::Kind::kName:
            return "name " + RefText(s.a) + " " + Quote(s.text);
        case Statement::Kind::kSet:
            return "set " + RefText(s.a) + " = " + Quote(s.text);
    }
    return {};
}

namespace {

class Writer {
public:
    std::string Run(const PatchText& p) {
        Header(p.header);
        for (const FileText& f : p.files) {
            Line("file " + Quote(f.stored_name) + " " + SourceText(f.source));
        }
        for (const SkinText& s : p.skins) Skin(s);
        if (p.root) {
            if (!out_.empty()) out_ += "\n";
            Module(*p.root, true);
        }
        return out_;
    }

private:
    void Line(const std::string& text) {
        out_.append(static_cast<size_t>(depth_) * 2, ' ');
        out_ += text;
        out_ += '\n';
    }

    void Header(const DocumentHeader& h) {
        const DocumentHeader d;
        if (h.plugin_id != d.plugin_id) Line("plugin_id " + Quote(h.plugin_id));
        if (h.option_flag != d.option_flag || h.option_text != d.option_text) {
            Line("option " + YesNo(h.option_flag) + " " + Quote(h.option_text));
        }
        if (h.can_mono != d.can_mono) Line("can_mono " + YesNo(h.can_mono));
        if (h.panel_width != d.panel_width || h.panel_height != d.panel_height) {
            Line("panel_size " + std::to_string(h.panel_width) + " " +
                 std::to_string(h.panel_height));
        }
        if (h.vst_flags != d.vst_flags) Line("vst_flags" + VstFlagsText(h.vst_flags));
        if (h.program_count != d.program_count) {
            Line("programs " + std::to_string(h.program_count));
        }
        if (h.vendor_text != d.vendor_text) Line("vendor " + Quote(h.vendor_text));
        if (h.product_text != d.product_text) Line("product " + Quote(h.product_text));
        if (h.document_text != d.document_text) Line("document_text " + Quote(h.document_text));
        if (h.document_flag != d.document_flag) Line("document_flag " + YesNo(h.document_flag));
        if (h.global_flag != d.global_flag) Line("global_flag " + YesNo(h.global_flag));
        if (h.text2 != d.text2) Line("text2 " + Quote(h.text2));
        if (h.text3 != d.text3) Line("text3 " + Quote(h.text3));
    }

    void Skin(const SkinText& s) {
        Line("skin " + Quote(s.name) + " {");
        ++depth_;
        for (const BitmapText& b : s.bitmaps) {
            std::string text = (b.animated ? "animated " : "bitmap ") + Quote(b.name) + " width " +
                               std::to_string(b.width) + " height " + std::to_string(b.height);
            if (b.pixel_mode != 0) text += " mode " + std::to_string(b.pixel_mode);
            if (b.animated) {
                text += " segments " + std::to_string(b.segments) + " anim_mode " +
                        std::to_string(b.mode) + " range " + std::to_string(b.range_start) + " " +
                        std::to_string(b.range_end) + " handle " + RectText(b.handle) + " frame " +
                        std::to_string(b.frame_width) + " " + std::to_string(b.frame_height) +
                        " last_frame " + std::to_string(b.last_frame) + " type " +
                        std::to_string(b.type) + " padding " + std::to_string(b.padding_left) +
                        " " + std::to_string(b.padding_right) + " " +
                        std::to_string(b.padding_top) + " " + std::to_string(b.padding_bottom);
            }
            Line(text + " " + SourceText(b.source));
        }
        for (const FontText& f : s.fonts) {
            Line("font " + Quote(f.name) + " family " + Quote(f.family) + " size " +
                 std::to_string(f.size) + " colour " + Hex(f.colour) + " background " +
                 Hex(f.background) + " flags " + Hex(f.flags));
        }
        --depth_;
        Line("}");
    }

    void Module(const ModuleText& m, bool root) {
        std::string text = root                 ? "root "
                           : m.block != nullptr ? "container " + m.name + " "
                                                : "module " + m.name + " ";
        text += Quote(m.type);
        if (m.title) text += " title " + Quote(*m.title);
        if (m.disabled) text += " disabled";
        if (m.rect) text += " rect " + RectText(*m.rect);
        if (m.panel) text += " panel " + RectText(*m.panel);
        if (m.block == nullptr) {
            Line(text);
            return;
        }
        Line(text + " {");
        ++depth_;
        BlockBody(*m.block);
        --depth_;
        Line("}");
    }

    void BlockBody(const Block& b) {
        for (const std::string& note : b.notes) Line("# " + note);
        if (b.panel_view) Line("panel_view " + RectText(*b.panel_view));
        if (b.structure_view) Line("structure_view " + RectText(*b.structure_view));
        if (b.panel_scroll) Line("panel_scroll " + PointText(*b.panel_scroll));
        if (b.structure_scroll) Line("structure_scroll " + PointText(*b.structure_scroll));
        if (b.flags) Line("container_flags " + Hex(*b.flags));
        if (b.skin) Line("skin " + Quote(*b.skin));
        if (b.spare_hidden) Line("spare_hidden");
        if (b.current_patch) Line("current_patch " + std::to_string(*b.current_patch));
        for (const auto& [n, name] : b.patch_names) {
            Line("patch " + std::to_string(n) + " " + Quote(name));
        }
        for (const ModuleText& m : b.modules) Module(m, false);
        for (const Statement& s : b.statements) Line(StatementText(s));
        for (const ParameterText& p : b.parameters) {
            std::string text =
                "parameter " + std::to_string(p.handle) + " " + p.kind + " " + Quote(p.name);
            if (p.plug) text += " plug " + RefText(*p.plug);
            if (p.midi_controller != -1) text += " midi " + std::to_string(p.midi_controller);
            if (p.ignore_program_change) text += " ignore_program_change";
            Line(text);
            for (const auto& [patch, value] : p.values) {
                Line("value " + std::to_string(p.handle) + " " + std::to_string(patch) + " " +
                     Quote(value));
            }
        }
    }

    std::string out_;
    int depth_ = 0;
};

}  // namespace

std::string Format(const PatchText& patch) {
    return Writer().Run(patch);
}

uint32_t Fnv1a(const std::vector<uint8_t>& data) {
    uint32_t h = 2166136261u;
    for (const uint8_t b : data) {
        h ^= b;
        h *= 16777619u;
    }
    return h;
}

}  // namespace md::patch_text

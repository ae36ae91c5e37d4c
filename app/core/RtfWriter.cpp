#include "RtfWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "cp1252.h"
#include "platform/ReplacingFile.h"

namespace {

void AppendEscaped(std::string& out, const std::string& text) {
    static const char* const hex = "0123456789abcdef";
    for (const char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        if (ch == '\\' || ch == '{' || ch == '}') {
            out += '\\';
            out += ch;
        } else if (ch == '\t') {
            out += "\\tab ";
        } else if (ch == '\n') {
            out += "\\line ";
        } else if (b >= 0x80 || b < 0x20) {
            out += "\\'";
            out += hex[b >> 4];
            out += hex[b & 0x0F];
        } else {
            out += ch;
        }
    }
}

std::string ColorEntry(uint32_t bgr) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "\\red%u\\green%u\\blue%u;", bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
    return buf;
}

}  // namespace

std::string RtfFromLines(const StyledText& lines) {
    // Colour table: black, blue and red always, then every other colour in order of use.
    std::vector<uint32_t> colors{rcBlack, rcBlue, rcRed};
    for (const auto& line : lines)
        for (const auto& run : line)
            if (std::find(colors.begin(), colors.end(), run.color) == colors.end()) colors.push_back(run.color);

    std::string out =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0"
        "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n{\\colortbl ;";
    for (const uint32_t c : colors) out += ColorEntry(c);
    out += "}\r\n\\pard\\plain\\f0\\fs24\\cf1 ";

    unsigned style = fsNone;
    uint32_t color = rcBlack;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        if (k != 0) out += "\\par\r\n";
        for (const auto& run : lines[k]) {
            if (run.text.empty()) continue;
            std::string ctl;
            const unsigned changed = style ^ run.style;
            if (changed & fsBold) ctl += (run.style & fsBold) ? "\\b" : "\\b0";
            if (changed & fsItalic) ctl += (run.style & fsItalic) ? "\\i" : "\\i0";
            if (changed & fsUnderline) ctl += (run.style & fsUnderline) ? "\\ul" : "\\ulnone";
            if (run.color != color) {
                const auto idx = std::find(colors.begin(), colors.end(), run.color) - colors.begin();
                ctl += "\\cf" + std::to_string(idx + 1);
            }
            if (!ctl.empty()) out += ctl + ' ';
            style = run.style;
            color = run.color;
            AppendEscaped(out, run.text);
        }
    }
    out += "\r\n}\r\n";
    return out;
}

void WriteFileReplacing(const std::string& path, const std::string& bytes) {
    // The bytes go into a new file beside the target that takes the target's name only
    // once whole and on disk; on any failure the target is left as it was. A link at
    // the chosen name is the user's own: the file it points to is replaced.
    const std::string name = cp1252::FromUtf8(path);
    const auto fail = [&](const char* what, const std::system_error& e) {
        throw std::runtime_error(A("Impossible d'enregistrer le fichier ") + name + " :\r\n" + A(what) + " (" +
                                 cp1252::FromUtf8(std::strerror(e.code().value())) + ")");
    };
    std::optional<TReplacingFile> file;
    try {
        file.emplace(path, true);
    } catch (const std::system_error& e) {
        fail("le fichier ne peut pas être créé", e);
    }
    try {
        file->Write(bytes);
    } catch (const std::system_error& e) {
        fail("l'écriture a échoué", e);
    }
    try {
        file->Commit();
    } catch (const std::system_error& e) {
        fail("le fichier n'a pas pu être remplacé", e);
    }
}

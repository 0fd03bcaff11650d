// The Chinese texts the program shows are drawn from its glyph atlas, which holds the
// GB2312 set alone: every double-byte character of such a GBK text must be in it.
#ifndef TOVRA_GB2312_TEXT_H
#define TOVRA_GB2312_TEXT_H

#include <string>

// Both bytes from 0xA1 to 0xFE, the lead byte at most 0xF7 (row 87).
inline bool AllInGb2312(const std::string &text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80)
            continue;
        if (i + 1 >= text.size())
            return false;
        unsigned char trail = static_cast<unsigned char>(text[++i]);
        if (lead < 0xA1 || lead > 0xF7 || trail < 0xA1 || trail > 0xFE)
            return false;
    }
    return true;
}

#endif

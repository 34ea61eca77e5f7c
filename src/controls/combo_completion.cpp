#include "controls/combo_completion.h"

#include <algorithm>

namespace nimbo {

namespace {

char16_t FoldAscii(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? c - u'A' + u'a' : c;
}

bool StartsWithIgnoringCase(const std::u16string& s, const std::u16string& prefix) {
    if (prefix.size() > s.size()) return false;
    return std::equal(prefix.begin(), prefix.end(), s.begin(),
                      [](char16_t a, char16_t b) { return FoldAscii(a) == FoldAscii(b); });
}

}  // namespace

EditCompletion CompleteTypedText(const std::vector<std::u16string>& items,
                                 const std::u16string& typed, int selStart, int selEnd) {
    EditCompletion out;
    out.text = typed;
    // An empty field is left empty rather than filled with the first item.
    for (std::size_t i = 0; !typed.empty() && i < items.size(); ++i) {
        if (StartsWithIgnoringCase(items[i], typed)) {
            out.item = static_cast<int>(i);
            out.text = items[i];
            break;
        }
    }
    const int n = static_cast<int>(typed.size());
    const int length = static_cast<int>(out.text.size());
    if (selEnd < n) {
        // The user is editing inside the text: leave the caret where it was.
        out.selectionStart = std::clamp(selStart, 0, length);
        out.selectionEnd = std::clamp(selEnd, 0, length);
    } else {
        out.selectionStart = n;
        out.selectionEnd = length;
    }
    return out;
}

}  // namespace nimbo

#pragma once
// Completion of the text typed into an editable combo box from its list: the
// first item that begins with the typed text (ignoring ASCII case) replaces it,
// and the completed tail is selected so that further typing replaces it.
#include <optional>
#include <string>
#include <vector>

namespace nimbo {

struct EditCompletion {
    std::optional<int> item;  // the list item chosen, if any
    std::u16string text;      // the edit field's new text
    int selectionStart = 0;
    int selectionEnd = 0;  // == selectionStart: just a caret
};

// selStart/selEnd: the edit selection after the keystroke (a caret when equal).
EditCompletion CompleteTypedText(const std::vector<std::u16string>& items,
                                 const std::u16string& typed, int selStart, int selEnd);

}  // namespace nimbo

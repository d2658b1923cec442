#pragma once

#include "declaration/DeclarationFile.h"

#include <QString>
#include <array>

class UserInterface;

// The detail grid's columns in their order: the field each shows, its title
// (messages name a column by it) and which characters it takes. How wide the
// window draws them is the window's own.
namespace gridcolumns {

enum class KeyRule { Any, Digits, Amount, IncomeKind };

struct Column
{
    declaration::DetailField field;
    KeyRule keys;
    const char* title; // UTF-8; null: the field's own name
};

inline constexpr int AfmColumn = 0;
inline constexpr int TypeIncColumn = 8;
inline constexpr int AkaIncColumn = 9;
inline constexpr int KatharesColumn = 13;

const std::array<Column, 20>& Columns();
KeyRule RuleOfColumn(int column);

// Whether a column takes `key` typed after `text` (no beep, no side effects).
// No column takes a character the code page of the declaration lacks.
bool Admits(int column, const QString& text, char16_t key);
// Text put into a column without typing: the characters it would have taken
// had they been typed one by one.
QString AdmittedText(int column, const QString& text);

} // namespace gridcolumns

// The amount filter of the grid: Backspace and the digits pass, a comma only
// while `text` holds none; anything else becomes 0 (dropped) with a beep.
void AmountKeyFilter(const QString& text, char16_t& key, UserInterface& ui);

#pragma once
// Texts of the Qt-free layers that the user sees. They are written in Russian
// and marked for the translation tools; the user interface translates them
// just before it shows them (CUiServices::Translate), so the core itself
// never needs Qt.
#include <initializer_list>
#include <string>
#include <string_view>

// Marks text for the translation tools under context (always "Core", the
// context the user interface translates in); the text is used unchanged. A text with a variable part is a template with %1, %2...,
// translated first and filled afterwards, so a translation can move the parts.
#define DRAVIK_TR_NOOP(context, text) text
inline constexpr const char* kCoreTextContext = "Core";

// Puts args in place of %1..%9 in text; other '%' stay as they are.
std::string FillText(std::string_view text, std::initializer_list<std::string_view> args);

#pragma once
// Letter case of the characters entry names are made of (CP1251: Latin and
// Cyrillic) and of the scripts a pattern may bring along, without a Unicode
// library: simple one-to-one mappings, as the Unicode tables give them.
char32_t FoldCase(char32_t c);
char32_t ToUpperCase(char32_t c);
char32_t ToLowerCase(char32_t c);

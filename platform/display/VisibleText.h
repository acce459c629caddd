/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef VISIBLE_TEXT_H
#define VISIBLE_TEXT_H


#include <string>


namespace BPrivate {


// A name as the screen and the accessibility tree show it: always valid UTF-8, every byte that
// is none shown as U+FFFD; characters that turn the reading direction or show nothing (bidi
// marks, embeddings, overrides and isolates, zero-width and other invisible ones) shown as
// "<U+202E>", so that a name never reads as another one. Controls stay: window managers show
// them as they do any title's. The item itself keeps its bytes; only what is shown changes.
std::string visible_text(const std::string& text);


} // namespace BPrivate


#endif // VISIBLE_TEXT_H

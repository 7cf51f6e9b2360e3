#pragma once
// The encoding the user chose for texts: per archive in the profile, or the
// global choice.
#include "formats/textdecode.h"

// The encoding the user chose for the open archive's texts, else the global
// choice (Automatic by default).
ETextEncoding CurrentTextEncoding();
// The global choice, as the window reads it from the profile at start.
void SetCurrentTextEncoding(ETextEncoding encoding);
// The user's choice from the menu: remembered in the profile for the open
// archive, or as the global choice when no archive is open.
void ChooseTextEncoding(ETextEncoding encoding);
// Raised by every change, so handlers can drop what they prepared.
unsigned TextEncodingGeneration();

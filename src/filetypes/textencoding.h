#pragma once
// The encoding the user chose for texts: per archive in the profile, or the
// global choice.
#include "formats/textdecode.h"

#include <string>

// The encoding the user chose for the texts of the archive at archivePath,
// else the global choice (Automatic by default).
ETextEncoding CurrentTextEncoding(const std::string& archivePath);
// The global choice, as the window reads it from the profile at start.
void SetCurrentTextEncoding(ETextEncoding encoding);
// The user's choice from the menu: remembered in the profile for the archive
// at archivePath, or as the global choice when it is empty (no archive open).
void ChooseTextEncoding(ETextEncoding encoding, const std::string& archivePath);
// Raised by every change, so handlers can drop what they prepared.
unsigned TextEncodingGeneration();

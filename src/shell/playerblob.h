#pragma once
// The movie player the program carries (resource "LB" number 176): the
// dravik-mve-player executable, linked in at build time.
#include <string_view>

std::string_view CarriedPlayer();

// Makes GetPlayerResourceSize and CopyPlayerResource serve the carried player.
void InstallCarriedPlayer();

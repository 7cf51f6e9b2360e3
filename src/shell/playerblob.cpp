#include "shell/playerblob.h"

#include "archive/playerresource.h"

#include <optional>

// The build copies dravik-mve-player to DRAVIK_PLAYER_BLOB before this file is compiled.
asm(".pushsection .rodata.dravik_player, \"a\", @progbits\n"
    ".balign 16\n"
    ".globl dravik_player_begin\n"
    ".hidden dravik_player_begin\n"
    "dravik_player_begin:\n"
    ".incbin \"" DRAVIK_PLAYER_BLOB "\"\n"
    ".globl dravik_player_end\n"
    ".hidden dravik_player_end\n"
    "dravik_player_end:\n"
    ".popsection\n");

extern "C" {
extern const char dravik_player_begin[] __attribute__((visibility("hidden")));
extern const char dravik_player_end[] __attribute__((visibility("hidden")));
}

std::string_view CarriedPlayer()
{
    return {dravik_player_begin, static_cast<std::size_t>(dravik_player_end - dravik_player_begin)};
}

void InstallCarriedPlayer()
{
    SetPlayerResourceProvider([] { return std::optional<std::string_view>(CarriedPlayer()); });
}

#!/usr/bin/env bash
# Installs BUILD into a temporary prefix and checks what a desktop looks for
# there; the validators run when they are installed.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
cd "$prefix"
id=org.dravik.Dravik
fail=0
complain() { echo "$*" >&2; fail=1; }

for f in bin/dravik bin/dravik-cli; do
    [[ -x $f ]] || complain "not an installed program: $f"
done
bin/dravik-cli --help >/dev/null || complain "the installed dravik-cli does not run"
# Sounds go through a module the installed program must find on its own:
# a one-second silent ACM (signature, samples, channels, rate, 16 rows of 128).
mkdir -p scratch/sound
printf '\x97\x28\x03\x01\x22\x56\x00\x00\x01\x00\x22\x56\x07\x01' >scratch/sound/quiet.acm
head -c 4096 /dev/zero >>scratch/sound/quiet.acm
"$build/dravik-mkdat" scratch/sound.dat scratch >/dev/null
bin/dravik-cli info scratch/sound.dat sound/quiet.acm --json | grep -q '"kind":"sound"' ||
    complain "the installed dravik-cli cannot read sounds"
rm -rf scratch
for f in share/applications/$id.desktop share/metainfo/$id.metainfo.xml share/mime/packages/$id.xml \
         share/icons/hicolor/scalable/apps/$id.svg share/man/man1/dravik.1 share/man/man1/dravik-cli.1; do
    [[ -s $f ]] || complain "missing: $f"
done
# Each PNG must really be of the size its folder names (width and height in the IHDR chunk).
for size in 16 22 24 32 48 64 128 256; do
    png=share/icons/hicolor/${size}x${size}/apps/$id.png
    read -r w h < <(od -An -tu4 --endian=big -j16 -N8 "$png" 2>/dev/null) || true
    [[ ${w:-} == "$size" && ${h:-} == "$size" ]] || complain "$png is ${w:-?}x${h:-?}"
done
grep -qx "Icon=$id" share/applications/$id.desktop || complain "the desktop entry names another icon"
grep -qx 'MimeType=application/x-ashmoor-dat;' share/applications/$id.desktop ||
    complain "the desktop entry does not claim the archive type"

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate share/applications/$id.desktop || complain "desktop-file-validate failed"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net share/metainfo/$id.metainfo.xml >/dev/null || complain "appstreamcli validate failed"
fi
if command -v update-mime-database >/dev/null; then
    export XDG_DATA_DIRS=$prefix/share:/usr/share
    update-mime-database share/mime 2>mime.err || true
    [[ ! -s mime.err && -f share/mime/application/x-ashmoor-dat.xml ]] || complain "the MIME definition is refused: $(cat mime.err)"
    # A DAT1 archive by its first bytes whatever its name; any archive by its .dat name.
    if command -v gio >/dev/null; then
        printf '\0\0\0\1\0\0\0\1\0\0\0\0\0\0\0\0\1.\0\0\0\0' >dat1.bin
        printf 'x\332' >dat2.dat
        for f in dat1.bin dat2.dat; do
            type=$(gio info -a standard::content-type "$f" | sed -n 's/.*content-type: //p')
            [[ $type == application/x-ashmoor-dat ]] || complain "$f is taken for $type"
        done
    fi
fi
if command -v man >/dev/null; then
    for page in dravik dravik-cli; do
        warnings=$(MANWIDTH=80 man --warnings -l share/man/man1/$page.1 2>&1 >/dev/null) || complain "man cannot read $page.1"
        [[ -z $warnings ]] || complain "$page.1: $warnings"
    done
fi
exit $fail

#!/usr/bin/env bash
# The release: builds and tests every program that ships, packs it, checks the
# packages as a user would meet them, and collects them into build/dist with
# their SHA256SUMS:
#
#   compound_<version>_amd64.deb              Debian package, dynamically linked
#   compound-<version>-linux-x86_64.tar.gz    static program for any x86-64 Linux
#   compound-<version>-linux-aarch64.tar.gz   static program for any aarch64 Linux
#   compound-<version>-win64.zip              Windows program
#   compound-<version>-win64.msi              Windows installer, puts it on PATH
#
# The same commit gives the same bytes, wherever, whenever and under whatever
# umask it is built: every time in the packages is SOURCE_DATE_EPOCH, the
# last commit's time unless the caller gives one.
set -euo pipefail
cd "$(dirname "$0")/.."
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}"
export WINEDEBUG=-all

for preset in release linux-x86_64-static linux-aarch64-static windows; do
    cmake --workflow --preset "$preset" --fresh
    cpack --preset "$preset"
done

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/CMakeCache.txt)
packages=(
    "build/release/compound_${version}_amd64.deb"
    "build/linux-x86_64-static/compound-${version}-linux-x86_64.tar.gz"
    "build/linux-aarch64-static/compound-${version}-linux-aarch64.tar.gz"
    "build/windows/compound-${version}-win64.zip"
    "build/windows/compound-${version}-win64.msi"
)
scratch=$(mktemp -d)
trap 'WINEPREFIX="$scratch/wine" wineserver --kill 2>/dev/null; rm -rf "$scratch"' EXIT

# The sample calculation through a program; what it must print.
calculate() {
    printf '1000,3,0.05' | "$@"
}
check() {
    if [[ $2 != 1157.63 ]]; then
        echo "release: $1 printed '$2', not 1157.63" >&2
        exit 1
    fi
}

# The Debian package: no lintian error, warning or pedantic tag, and it runs.
lintian --pedantic --info --fail-on error,warning,pedantic "${packages[0]}"
dpkg-deb --extract "${packages[0]}" "$scratch/deb"
check "the Debian package's program" "$(calculate "$scratch/deb/usr/bin/compound")"

# The portable programs: static, with no interpreter and no library to load,
# and running with none installed (qemu-aarch64 with no -L).
for tarball in "${packages[1]}" "${packages[2]}"; do
    tar --extract --file "$tarball" --directory "$scratch"
    program="$scratch/$(basename "$tarball" .tar.gz)/bin/compound"
    if readelf --program-headers --dynamic "$program" | grep -E 'INTERP|NEEDED'; then
        echo "release: $program is not statically linked" >&2
        exit 1
    fi
done
check "the x86-64 tarball's program" \
    "$(calculate "$scratch/compound-${version}-linux-x86_64/bin/compound")"
check "the aarch64 tarball's program" \
    "$(calculate qemu-aarch64 "$scratch/compound-${version}-linux-aarch64/bin/compound")"

# The MSI under Wine, in a new Windows of its own: installed, compound.exe
# runs from the PATH alone in a new process and a folder of its own;
# uninstalled, neither it nor its PATH entry is left.
# Its server is started first and told to stay: one that a Wine program starts
# by itself leaves when no program is left, and a program started as it
# leaves fails.
export WINEPREFIX="$scratch/wine"
mkdir "$WINEPREFIX"
wineserver --persistent=60 > "$scratch/wineserver.log" 2>&1
wineboot --init > "$scratch/wineboot.log" 2>&1
msi=$(winepath --windows "${packages[4]}")
installed=$(winepath --unix 'C:\Program Files\compound\bin\compound.exe')
system_path() {
    wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager\Environment' /v PATH
}
wine msiexec /i "$msi" /qn
mkdir "$scratch/elsewhere"
check "compound.exe on PATH" \
    "$(cd "$scratch/elsewhere" && wine cmd /c 'echo 1000,3,0.05| compound.exe' | tr -d '\r')"
wine msiexec /x "$msi" /qn
if [[ -e $installed ]] || system_path | grep -qi 'compound'; then
    echo "release: uninstalling the MSI left $installed or its PATH entry" >&2
    exit 1
fi

rm -rf build/dist
mkdir -p build/dist
cp "${packages[@]}" build/dist/
(cd build/dist && sha256sum -- "${packages[@]##*/}" > SHA256SUMS)
cat build/dist/SHA256SUMS

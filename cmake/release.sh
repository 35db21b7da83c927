#!/usr/bin/env bash
# The release: builds and tests every program that ships, packs it, checks the
# packages as a user would meet them, and collects them into build/dist with
# their SHA256SUMS:
#
#   compound_<version>_amd64.deb              Debian package, dynamically linked
#   compound_<version>_arm64.deb              the same for arm64
#   compound-<version>-1.x86_64.rpm           RPM package, the same program as the .deb
#   compound-<version>-1.aarch64.rpm          the same for aarch64
#   compound-<version>-linux-x86_64.tar.gz    static program for any x86-64 Linux
#   compound-<version>-linux-aarch64.tar.gz   static program for any aarch64 Linux
#   compound-<version>-win64.zip              Windows program
#   compound-<version>-win64.msi              Windows installer, puts it on PATH
#   compound-<version>-wasm32-wasi.wasm       WebAssembly program for any WASI runtime
#   compound-<version>-web.zip                the web page, for any static host
#   compound-<version>.tar.gz                 the source archive (from a git checkout)
#
# The same commit gives the same bytes, wherever, whenever and under whatever
# umask it is built: every time in the packages is SOURCE_DATE_EPOCH, the
# last commit's time unless the caller gives one (see source_date_epoch.cmake).
# Run from an unpacked source archive, with no git, it gives the same packages
# as from the checkout the archive was made from, and no source archive.
set -euo pipefail
cd "$(dirname "$0")/.."
SOURCE_DATE_EPOCH=$(cmake -P cmake/source_date_epoch.cmake)
export SOURCE_DATE_EPOCH
export WINEDEBUG=-all
for preset in release linux-aarch64 linux-x86_64-static linux-aarch64-static windows wasm32-wasi; do
    cmake --workflow --preset "$preset" --fresh
    cpack --preset "$preset"
done

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/CMakeCache.txt)

# The source archive, from the files git tracks: each under
# compound-<version>/, with the time of the release recorded in it, so that a
# build from it needs no git. Modes are git's (0755 for programs, else 0644),
# whatever the umask of the checkout.
source_archive=()
if [[ $(git rev-parse --show-toplevel 2> /dev/null) == "$(pwd -P)" ]]; then
    stage=$(mktemp -d)
    tree="$stage/compound-$version"
    mkdir "$tree"
    git ls-files -z | xargs -0 cp --parents --no-dereference --target-directory="$tree"
    printf '%s\n' "$SOURCE_DATE_EPOCH" > "$tree/cmake/source-date-epoch"
    mkdir -p build/source
    source_archive=("build/source/compound-$version.tar.gz")
    LC_ALL=C tar --create --directory "$stage" --format=gnu --sort=name --mtime="@$SOURCE_DATE_EPOCH" \
        --owner=0 --group=0 --numeric-owner --mode=u=rwX,go=rX "compound-$version" |
        gzip -9n > "${source_archive[0]}"
    rm -rf "$stage"
else
    echo "release: not a git checkout, so no source archive (this tree may well be one)" >&2
fi

packages=(
    "build/release/compound_${version}_amd64.deb"
    "build/linux-aarch64/compound_${version}_arm64.deb"
    "build/release/compound-${version}-1.x86_64.rpm"
    "build/linux-aarch64/compound-${version}-1.aarch64.rpm"
    "build/linux-x86_64-static/compound-${version}-linux-x86_64.tar.gz"
    "build/linux-aarch64-static/compound-${version}-linux-aarch64.tar.gz"
    "build/windows/compound-${version}-win64.zip"
    "build/windows/compound-${version}-win64.msi"
    "build/wasm32-wasi/compound-${version}-wasm32-wasi.wasm"
    "build/wasm32-wasi/compound-${version}-web.zip"
    "${source_archive[@]}"
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

# How each processor's programs run here.
x86_64=()
aarch64=(qemu-aarch64 -L /usr/aarch64-linux-gnu)

# A Linux package's program: built as the distributions build theirs (PIE,
# stack protector, read-only relocations bound at start), and it runs.
check_linux_program() { # what, program, how it runs
    local program=$2
    hardening-check --quiet --nofortify --nocfprotection "$program" 2>/dev/null
    check "$1" "$(calculate "${@:3}" "$program")"
}

# The Debian packages: no lintian error, warning or pedantic tag, and they run.
for deb in "${packages[0]}" "${packages[1]}"; do
    lintian --pedantic --info --fail-on error,warning,pedantic "$deb"
done
dpkg-deb --extract "${packages[0]}" "$scratch/deb-amd64"
check_linux_program "the amd64 Debian package's program" "$scratch/deb-amd64/usr/bin/compound"
dpkg-deb --extract "${packages[1]}" "$scratch/deb-arm64"
check_linux_program "the arm64 Debian package's program" "$scratch/deb-arm64/usr/bin/compound" \
    "${aarch64[@]}"

# The RPMs: no rpmlint error or warning, beyond those cmake/rpmlint.toml
# overrides with its reasons; installed into a new root, where the program
# runs and has its manual page; removed, they leave no file behind. (Packing
# has already refused a program that needs a C library above RHEL 9's 2.34.) The new root's database holds no C
# library, so dependencies are not checked there, nor the aarch64 processor.
check_rpm() { # processor, package
    local root="$scratch/rpm-$1" runner="$1[@]"
    rpmlint --config cmake/rpmlint.toml "$2" | tee "$scratch/rpmlint.log"
    grep -q ' 0 errors, 0 warnings' "$scratch/rpmlint.log"
    mkdir "$root"
    rpm --root "$root" --initdb
    rpm --root "$root" --install --nodeps --ignorearch "$2"
    check_linux_program "the $1 RPM's program" "$root/usr/bin/compound" "${!runner}"
    if [[ ! -f $root/usr/share/man/man1/compound.1.gz ]]; then
        echo "release: the $1 RPM installed no manual page" >&2
        exit 1
    fi
    rpm --root "$root" --erase compound
    if [[ -n $(find "$root/usr" -type f) ]]; then
        echo "release: removing the $1 RPM left files under usr" >&2
        exit 1
    fi
}
check_rpm x86_64 "${packages[2]}"
check_rpm aarch64 "${packages[3]}"

# The portable programs: static, with no interpreter and no library to load,
# and running with none installed (qemu-aarch64 with no -L).
for tarball in "${packages[4]}" "${packages[5]}"; do
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
msi=$(winepath --windows "${packages[7]}")
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

# The WebAssembly program runs under Node.js's WASI; the web page, unpacked,
# holds the very same program and computes in Chromium as typed into.
check "the WASI program" \
    "$(calculate node --no-warnings cmake/wasi-run.mjs "${packages[8]}")"
cmake -E chdir "$scratch" cmake -E tar xf "$PWD/${packages[9]}"
page="$scratch/compound-${version}-web"
cmp "$page/compound.wasm" "${packages[8]}"
node tests/page_test.mjs typing "$page" build/wasm32-wasi/tests/browser "$(command -v chromium)"

rm -rf build/dist
mkdir -p build/dist
cp "${packages[@]}" build/dist/
(cd build/dist && sha256sum -- "${packages[@]##*/}" > SHA256SUMS)
cat build/dist/SHA256SUMS

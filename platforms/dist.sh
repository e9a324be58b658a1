#!/usr/bin/env bash
# Builds one download per platform into dist/: checker-VERSION-linux-x86_64.tar.gz,
# checker-VERSION-linux-arm64.tar.gz and checker-VERSION-windows-x86_64.zip, each holding a
# statically linked checker and checker-judge, a README for the person who downloads it, the
# example files, the grading templates and the licence; on Linux also cms/checker and the man
# pages. Also a .deb for x86-64, checker-VERSION-web.zip (the page, built with emscripten), and
# SHA256SUMS of them all. Then unpacks each download, runs
# its programs on every golden case (under qemu-user or wine where they are not native) and its
# README's sample run, and fails if any of that fails or if a program needs more than the
# system's own libraries.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
generator=()
if command -v ninja >/dev/null; then generator=(-G Ninja); fi
compiler=$(command -v clang++ || echo c++)
# llvm-strip 14 fails on a statically linked glibc program; binutils' strip does not.
native_strip=()
if command -v strip >/dev/null; then native_strip=(-DCMAKE_STRIP="$(command -v strip)"); fi

rm -rf dist build-dist
mkdir -p dist

package() {  # BUILD-NAME CMAKE-ARGUMENT...
  local name=$1
  shift
  cmake -S . -B "build-dist/$name" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DCHECKER_STATIC=ON "$@"
  cmake --build "build-dist/$name" --parallel "${JOBS:-$(nproc)}"
  (cd "build-dist/$name" && cpack -B "$top/dist")
}
package linux-x86_64 -DCMAKE_CXX_COMPILER="$compiler" "${native_strip[@]}" -DCHECKER_DOWNLOAD=linux-x86_64
package linux-arm64 --toolchain platforms/linux-arm64.cmake -DCHECKER_DOWNLOAD=linux-arm64
package windows-x86_64 --toolchain platforms/windows-x86_64.cmake -DCHECKER_DOWNLOAD=windows-x86_64
package deb -DCMAKE_CXX_COMPILER="$compiler" "${native_strip[@]}"
rm -rf dist/_CPack_Packages
# The page: one HTML file and its README. Debian's emscripten finds its optimizer's parser, from
# node-acorn, on node's module path.
web=no
if command -v emcmake >/dev/null; then
  export NODE_PATH=${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs
  emcmake cmake -S . -B build-dist/web "${generator[@]}" -DCMAKE_BUILD_TYPE=Release
  cmake --build build-dist/web --parallel "${JOBS:-$(nproc)}" --target web_zip
  cp build-dist/web/web/checker-*-web.zip dist/
  web=yes
else
  echo "emcmake was not found, so the web download is not built: install the Debian packages emscripten and node-acorn"
fi
(cd dist && sha256sum -- *.tar.gz *.zip *.deb >SHA256SUMS)

failures=0
unpacked=build-dist/unpacked
mkdir -p "$unpacked"
for archive in dist/*.tar.gz; do tar -xzf "$archive" -C "$unpacked"; done
for archive in dist/*.zip; do cmake -E chdir "$unpacked" cmake -E tar xf "$top/$archive"; done
ls -l dist

# Counts a failure, with what failed.
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

linux_x86_64=$top/$(echo "$unpacked"/*-linux-x86_64)
linux_arm64=$top/$(echo "$unpacked"/*-linux-arm64)
windows=$top/$(echo "$unpacked"/*-windows-x86_64)
qemu=$(command -v qemu-aarch64)
wine_run=("$top/platforms/run-under-wine.sh" "$top/build-dist/wine-prefix")

for program in "$linux_x86_64"/{checker,checker-judge,cms/checker} \
               "$linux_arm64"/{checker,checker-judge,cms/checker}; do
  # No program interpreter: the binary carries its C and C++ libraries.
  if readelf -l "$program" | grep -q 'program interpreter'; then fail "$program is not static"; fi
done
for program in "$windows"/checker.exe "$windows"/checker-judge.exe; do
  # Only DLLs that every Windows has.
  dlls=$(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^\s*DLL Name: //p')
  echo "$(basename "$program") needs: $(tr '\n' ' ' <<<"$dlls")"
  for dll in $dlls; do
    case $(echo "$dll" | tr '[:upper:]' '[:lower:]') in
      kernel32.dll | msvcrt.dll | shell32.dll | user32.dll | advapi32.dll) ;;
      *) fail "$program needs $dll" ;;
    esac
  done
done

# Every golden case and the README's sample run, on each download, emulated where not native.
platforms/check-download.sh "$linux_x86_64" || fail "golden cases of $linux_x86_64"
platforms/check-download.sh "$linux_arm64" "$qemu" || fail "golden cases of $linux_arm64"
platforms/check-download.sh "$windows" "${wine_run[@]}" || fail "golden cases of $windows"

# The unpacked page in headless Chromium, shown the golden cases.
if [ "$web" = yes ]; then
  browser=$(command -v chromium || command -v chromium-browser || command -v google-chrome || true)
  if [ -n "$browser" ] && command -v npm >/dev/null; then
    cmake -DNODE="$(command -v node)" -DNPM="$(command -v npm)" -DCHROMIUM="$browser" \
      -DSOURCE_DIR="$top/tests/web" -DWORK_DIR="$top/build-dist/page" \
      -DPAGE="$(echo "$top/$unpacked"/*-web/checker.html)" -DCASES="$top/tests/cases" \
      -P tests/web/page_test.cmake || fail "the page of the web download"
  else
    echo "chromium or npm was not found, so the web download's page is not tried: install the Debian packages chromium and npm"
  fi
fi

# cms/checker as CMS calls its comparator: fixed names, in a folder of its own.
for pair in "a 1 b 2|a 1 b 2|1.0" "a 1 b 2|a 2 b 1|0.0"; do
  IFS='|' read -r input output score <<<"$pair"
  for folder in "$linux_x86_64" "$linux_arm64"; do
    box=$(mktemp -d)
    cp "$folder/cms/checker" "$box/checker"
    echo "$input" >"$box/input.txt"
    echo "$input" >"$box/correct_output.txt"
    echo "$output" >"$box/user_output.txt"
    emulator=()
    if [ "$folder" = "$linux_arm64" ]; then emulator=("$qemu"); fi
    got=$(cd "$box" && "${emulator[@]}" ./checker input.txt correct_output.txt user_output.txt 2>/dev/null)
    if [ "$got" != "$score" ]; then fail "cms/checker in $folder gave '$got' for '$output'"; fi
    rm -rf "$box"
  done
done

if [ "$failures" -ne 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "every download passed every golden case and its sample run"

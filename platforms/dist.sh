#!/usr/bin/env bash
# Builds one download per platform into dist/: checker-VERSION-linux-x86_64.tar.gz,
# checker-VERSION-linux-arm64.tar.gz and checker-VERSION-windows-x86_64.zip, each holding a
# statically linked checker, the README, the licence and (but on Windows) the man page; and a
# .deb for x86-64. Then unpacks each download and runs its checker on every golden case, under
# qemu-user or wine where it is not native, and fails if any case fails or if a checker needs
# more than the system's own libraries.
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
  cmake --build "build-dist/$name" --parallel
  (cd "build-dist/$name" && cpack -B "$top/dist")
}
package linux-x86_64 -DCMAKE_CXX_COMPILER="$compiler" "${native_strip[@]}" -DCHECKER_DOWNLOAD=linux-x86_64
package linux-arm64 --toolchain platforms/linux-arm64.cmake -DCHECKER_DOWNLOAD=linux-arm64
package windows-x86_64 --toolchain platforms/windows-x86_64.cmake -DCHECKER_DOWNLOAD=windows-x86_64
package deb -DCMAKE_CXX_COMPILER="$compiler" "${native_strip[@]}"
rm -rf dist/_CPack_Packages

failures=0
# Runs every golden case on CHECKER, started through EMULATOR (words) if any.
check_cases() {  # CHECKER PROGRAM-NAME-VARIES EMULATOR...
  local checker=$1 varies=$2
  shift 2
  local emulator
  emulator=$(IFS=';'; echo "$*")
  for case_dir in tests/cases/*/; do
    local name
    name=$(basename "$case_dir")
    if ! cmake -DCHECKER="$checker" -DCASE_DIR="$top/${case_dir%/}" \
         -DWORK_DIR="$top/build-dist/case_runs/$name" -DEMULATOR="$emulator" \
         -DPROGRAM_NAME_VARIES="$varies" -P tests/run_case.cmake; then
      echo "FAILED: $name with $checker"
      failures=$((failures + 1))
    fi
  done
}

unpacked=build-dist/unpacked
mkdir -p "$unpacked"
for archive in dist/*.tar.gz; do tar -xzf "$archive" -C "$unpacked"; done
for archive in dist/*.zip; do cmake -E chdir "$unpacked" cmake -E tar xf "$top/$archive"; done
ls -l dist

for checker in "$unpacked"/*-linux-*/checker; do
  # No program interpreter: the binary carries its C and C++ libraries.
  if readelf -l "$checker" | grep -q 'program interpreter'; then
    echo "FAILED: $checker is not statically linked"
    failures=$((failures + 1))
  fi
done
check_cases "$top/$(echo "$unpacked"/*-linux-x86_64/checker)" OFF
check_cases "$top/$(echo "$unpacked"/*-linux-arm64/checker)" OFF "$(command -v qemu-aarch64)"

windows_checker=$(echo "$unpacked"/*-windows-x86_64/checker.exe)
# Only DLLs that every Windows has.
dlls=$(x86_64-w64-mingw32-objdump -p "$windows_checker" | sed -n 's/^\s*DLL Name: //p')
echo "checker.exe needs: $(echo $dlls)"
for dll in $dlls; do
  case $(echo "$dll" | tr '[:upper:]' '[:lower:]') in
    kernel32.dll | msvcrt.dll | shell32.dll | user32.dll | advapi32.dll) ;;
    *)
      echo "FAILED: checker.exe needs $dll"
      failures=$((failures + 1))
      ;;
  esac
done
check_cases "$top/$windows_checker" ON "$top/platforms/run-under-wine.sh" "$top/build-dist/wine-prefix"

if [ "$failures" -ne 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "every download passed every golden case"

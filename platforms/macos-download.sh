#!/usr/bin/env bash
# Builds dist/checker-VERSION-macos.tar.gz on a Mac: checker and checker-judge built for arm64
# and for x86-64 apart, joined with lipo into universal programs and signed ad hoc (Apple
# silicon runs no unsigned program), in a folder laid out like the other downloads: the README,
# the examples, the grading templates, the licence and the man pages. macOS 11 or later.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(checker VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=checker-$version-macos
generator=()
if command -v ninja >/dev/null; then generator=(-G Ninja); fi
rm -rf build-dist/macos-* "build-dist/$name"
mkdir -p dist

for arch in arm64 x86_64; do
  cmake -S . -B "build-dist/macos-$arch" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_OSX_ARCHITECTURES="$arch" -DCMAKE_OSX_DEPLOYMENT_TARGET=11.0 -DCHECKER_DOWNLOAD=macos
  cmake --build "build-dist/macos-$arch" --parallel
done
# The folder as the install lays it out; then each program in it made universal and signed.
cmake --install build-dist/macos-arm64 --prefix "build-dist/$name" --strip
for program in checker checker-judge; do
  lipo -create -output "build-dist/$name/$program" \
    "build-dist/macos-arm64/$program" "build-dist/macos-x86_64/$program"
  strip -x "build-dist/$name/$program"
  codesign --force --sign - "build-dist/$name/$program"
  lipo -info "build-dist/$name/$program"
done
tar -czf "dist/$name.tar.gz" -C build-dist "$name"
ls -l "dist/$name.tar.gz"

# Shared by scripts/run, scripts/test and scripts/bench: install what is
# missing from Debian's archive, then configure and build into build/.
set -euo pipefail
VEXORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VEXORA_BUILD="$VEXORA_ROOT/build"

vexora_packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  qt6-quick3d-dev qt6-declarative-dev qt6-shadertools-dev
  qml6-module-qtquick qml6-module-qtquick-window qml6-module-qtqml-workerscript
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev
  libcgal-dev
  libsuitesparse-dev libopenblas0-pthread
  libopenmpi-dev openmpi-bin
  clang libclang-rt-14-dev
  xvfb xauth fonts-dejavu-core
  python3-vtk9
)

vexora_install_missing() {
  local missing=()
  for p in "${vexora_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# vexora_build [extra cmake options...]
vexora_build() {
  cmake -S "$VEXORA_ROOT" -B "$VEXORA_BUILD" -G Ninja "$@" >/dev/null
  cmake --build "$VEXORA_BUILD" --parallel "$(nproc)"
}

# vexora_build_sanitized: the core's tests, the fuzz replay and the libFuzzer
# binaries with AddressSanitizer and UndefinedBehaviorSanitizer, built by
# clang into build/sanitize, where the main build's tests look for them.
vexora_build_sanitized() {
  command -v clang++ >/dev/null || { echo "clang++ not found: the sanitized tests will be skipped"; return 0; }
  CXX=clang++ cmake -S "$VEXORA_ROOT" -B "$VEXORA_BUILD/sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DVEXORA_SANITIZE=ON -DVEXORA_BUILD_FUZZ=ON -DVEXORA_BUILD_GUI=OFF -DVEXORA_BUILD_TESTS=ON \
    -DCGAL_DO_NOT_WARN_ABOUT_CMAKE_BUILD_TYPE=TRUE "$@" >/dev/null
  cmake --build "$VEXORA_BUILD/sanitize" --parallel "$(nproc)" --target vexora_core_tests vexora_fuzz_replay fuzz_all
}

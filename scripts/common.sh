# Shared by scripts/run, scripts/test and scripts/fuzz: the Debian packages
# the builds need, their installation, and the builds: Linux into build/,
# Windows (mingw-w64, tests under Wine) into build-win/, the code without Qt
# under the sanitizers into build-asan/, the fuzz targets (clang) into
# build-fuzz/. Sourced, not run.

# One package a line; a new build dependency is one more line here.
QM_PACKAGES=(
  cmake
  ninja-build
  g++
  qt6-base-dev
  libgtest-dev
  xvfb
  xauth
  mame-tools  # chdman, run by the bridge and by the tests on real images
  desktop-file-utils  # desktop-file-validate, for the package test
  dpkg-dev lintian appstream  # making the Debian package and checking it
  clang
  libclang-rt-14-dev
  fonts-dejavu-core  # DejaVu Sans, and the fonts of the window tests
  fonts-liberation2  # Liberation Sans, the windows' face where MS Sans Serif is missing
)

# The Windows build and its tests: cross compiler, Wine, GoogleTest's sources,
# and the locales for an Italian Wine (ANSI 1252 and OEM 850 differ there).
QM_WINDOWS_PACKAGES=(
  mingw-w64
  wine
  wine64
  googletest
  locales
  fonts-wine  # Wine's own fonts: Marlett draws the title bar's buttons
)

QM_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
QM_BUILD="$QM_ROOT/build"
QM_BUILD_WIN="$QM_ROOT/build-win"
QM_BUILD_ASAN="${QM_BUILD_ASAN:-$QM_ROOT/build-asan}"
QM_BUILD_FUZZ="${QM_BUILD_FUZZ:-$QM_ROOT/build-fuzz}"
QM_JOBS="${QM_JOBS:-2}"  # parallel compile and test jobs

qm_sudo() {
  if ((EUID == 0)); then "$@"; else sudo "$@"; fi
}

# Installs the named packages that are not installed yet; nothing is fetched
# when all of them are.
qm_install_packages() {
  local missing=() pkg
  for pkg in "$@"; do
    if [[ "$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null)" != "install ok installed" ]]; then
      missing+=("$pkg")
    fi
  done
  ((${#missing[@]})) || return 0

  echo "Installing: ${missing[*]}"
  qm_sudo env DEBIAN_FRONTEND=noninteractive apt-get update
  qm_sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

# Configures and builds the Linux program and tests into build/: a debug
# build, which compiles in less than half the time of an optimised one
# (bench/report builds its own optimised tree for measuring).
qm_build() {
  cmake -S "$QM_ROOT" -B "$QM_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLMERE_BENCH=OFF
  cmake --build "$QM_BUILD" --parallel "$QM_JOBS"
}

# Builds the optimised Linux program alone into build-release/, with
# Debian's hardening flags, for the package.
qm_build_release() {
  local -x DEB_BUILD_MAINT_OPTIONS=hardening=+all
  cmake -S "$QM_ROOT" -B "$QM_ROOT/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    -DQUILLMERE_TESTS=OFF -DQUILLMERE_BENCH=OFF
  cmake --build "$QM_ROOT/build-release" --parallel "$QM_JOBS"
}

# Generates the Italian locale that Wine is run under in the Windows tests.
qm_italian_locale() {
  if ! locale -a 2>/dev/null | grep -qix 'it_IT.utf-\?8'; then
    echo "Generating the it_IT.UTF-8 locale"
    qm_sudo localedef -i it_IT -f UTF-8 it_IT.UTF-8
  fi
}

# Cross-builds the Windows programs and tests into build-win/.
qm_build_windows() {
  cmake -S "$QM_ROOT" -B "$QM_BUILD_WIN" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$QM_ROOT/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE= -DCMAKE_CXX_FLAGS="-O1" -DQUILLMERE_BENCH=OFF
  cmake --build "$QM_BUILD_WIN" --parallel "$QM_JOBS"
}

# Builds the code without Qt and its tests with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/. Unoptimised, with line tables
# only: a third of the compile time of -O1 -g, and the tests wait on their
# children far more than they compute.
qm_build_sanitized() {
  cmake -S "$QM_ROOT" -B "$QM_BUILD_ASAN" -G Ninja \
    -DCMAKE_BUILD_TYPE= -DCMAKE_CXX_FLAGS="-O0 -g1" \
    -DQUILLMERE_QT=OFF -DQUILLMERE_BENCH=OFF -DQUILLMERE_SANITIZE=ON
  cmake --build "$QM_BUILD_ASAN" --parallel "$QM_JOBS"
}

# Builds the libFuzzer targets with clang into build-fuzz/.
qm_build_fuzzers() {
  CC=clang CXX=clang++ cmake -S "$QM_ROOT" -B "$QM_BUILD_FUZZ" -G Ninja \
    -DCMAKE_BUILD_TYPE= -DCMAKE_CXX_FLAGS="-O1 -g1" \
    -DQUILLMERE_QT=OFF -DQUILLMERE_TESTS=OFF -DQUILLMERE_BENCH=OFF -DQUILLMERE_FUZZ=ON
  cmake --build "$QM_BUILD_FUZZ" --parallel "$QM_JOBS" --target "${QM_FUZZERS[@]/#/fuzz_}"
}

# The libFuzzer targets; tests/fuzz/corpus/NAME holds the seeds of each.
QM_FUZZERS=(progress_parser path_functions quoting)

# Shared by scripts/run and scripts/test: the Debian packages the build needs,
# their installation, and the build into build/ at the repository root.
# Sourced, not run.

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
  desktop-file-utils  # desktop-file-validate, for the install test
)

QM_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
QM_BUILD="$QM_ROOT/build"
QM_JOBS="${QM_JOBS:-2}"  # parallel compile and test jobs

# Installs the packages of QM_PACKAGES that are not installed yet; nothing
# is fetched when all of them are.
qm_install_packages() {
  local missing=() pkg
  for pkg in "${QM_PACKAGES[@]}"; do
    if [[ "$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null)" != "install ok installed" ]]; then
      missing+=("$pkg")
    fi
  done
  ((${#missing[@]})) || return 0

  local sudo=()
  ((EUID == 0)) || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

# Configures (once) and builds everything into build/.
qm_build() {
  cmake -S "$QM_ROOT" -B "$QM_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$QM_BUILD" --parallel "$QM_JOBS"
}

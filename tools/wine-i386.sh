# 32-bit Wine by user-mode emulation, for kernels that refuse i386 programs. Sourced after
# wine-env.sh and wine10.sh (it uses NORVANE_ROOT, WINE10_ROOT, wine10_mirror, wine10_chroot,
# wine10_write_runner and wine10_prepare).
#
#   wine8_emulated_prepare    Debian 12's i386 Wine 8.0 unpacked into build/wine8-emulated/
#     $WINE8_EMULATED           its loader, used as `wine` is, in the caller's WINEPREFIX
#     $WINE8_EMULATED_SERVER    its wineserver (the system's 64-bit one of the same version)
#   wine10_emulated_prepare   Debian 13's i386 Wine 10.0 unpacked into the Wine 10 tree
#     $WINE10_EMULATED          a runner as $WINE10 is: enters the tree and runs a program there,
#                               in its prefix $WINE10_EMULATED_PREFIX, whatever WINEPREFIX says
#     $WINE10_EMULATED_SERVER   its wineserver command
# Both prepare functions build once and return at once afterwards; on failure they print one
# line and return non-zero.
#
# Where the kernel has no IA-32 support there is no native road to 32-bit code: an i386 program
# gets ENOEXEC and `int $0x80` faults, so Wine's WoW64 cannot set up a 32-bit %fs. qemu-i386
# (Debian 13's qemu-user 10; Debian 12's 7.2 costs about 50 s of CPU per Wine process) runs the
# whole 32-bit Unix side of Wine as a 64-bit process, and the 64-bit wineserver of the same Wine
# version serves its 32-bit clients. Nothing is installed: the packages come from an apt state of
# our own and are unpacked with dpkg-deb, the system's dpkg and its architectures stay as they
# are, and no binfmt_misc handler is registered (Wine's own process starts go through a script).
#
# A build is marked ready by a stamp naming what it was made from; one without it (cut short, or
# made for another Wine or by another version of this file) is made anew.

WINE_I386_LAYOUT=1
WINE8_EMULATED_DIR="$NORVANE_ROOT/build/wine8-emulated"
WINE8_EMULATED="$WINE8_EMULATED_DIR/root/usr/lib/wine-emulated/wine"
WINE8_EMULATED_SERVER="$WINE8_EMULATED_DIR/root/usr/lib/wine-emulated/wineserver"
# The Wine 10 build lives inside the tree, at the same path in either of its modes; its runners
# and prefix sit beside the tree's own.
WINE10_EMULATED_INNER=/opt/norvane-wine32
WINE_I386_QEMU_INNER=/opt/norvane-qemu
WINE10_EMULATED="$WINE10_DIR/run-emulated"
WINE10_EMULATED_SERVER="$WINE10_DIR/wineserver-emulated"
WINE10_EMULATED_PREFIX="$WINE10_DIR/prefix-emulated"
# The i386 packages whose closure is unpacked, each held to the version of the 64-bit Wine whose
# wineserver will serve them: a server speaks only its own version's protocol.
WINE_I386_PACKAGES="wine32 libwine wine"

wine_i386_fail() {
  echo "wine-i386: $*" >&2
  return 1
}

# Writes the configuration of a private i386 apt state in HOST/apt (INNER/apt as the apt that
# uses it sees it) with the given sources. No other configuration is read: the system's
# apt.conf.d has hooks that clean the system's own cache after an update.
#   wine_i386_apt_config HOST INNER SOURCES
wine_i386_apt_config() {
  local host=$1 inner=$2 sources=$3
  mkdir -p "$host/apt/state/lists/partial" "$host/apt/cache/archives/partial" "$host/apt/parts" \
    "$host/apt/sources.list.d" "$host/apt/preferences.d" "$host/apt/log" || return 1
  : > "$host/apt/state/status"
  printf '%s\n' "$sources" > "$host/apt/sources.list"
  cat > "$host/apt/apt.conf" <<EOF
Dir::State "$inner/apt/state/";
Dir::State::status "$inner/apt/state/status";
Dir::Cache "$inner/apt/cache/";
Dir::Etc::sourcelist "$inner/apt/sources.list";
Dir::Etc::sourceparts "$inner/apt/sources.list.d/";
Dir::Etc::parts "$inner/apt/parts/";
Dir::Etc::preferences "$inner/apt/preferences";
Dir::Etc::preferencesparts "$inner/apt/preferences.d/";
Dir::Log "$inner/apt/log/";
APT::Architecture "i386";
APT::Architectures { "i386"; };
APT::Install-Recommends "false";
APT::Install-Suggests "false";
Acquire::Languages "none";
Acquire::Check-Valid-Until "false";
EOF
}

# The zlib1.dll that Wine's builtin DLLs load, made as libwine's maintainer script makes it from
# libz-mingw-w64's DLL: the same file with Wine's builtin marker in its DOS stub. Without it
# user32.dll fails to load.
wine_i386_zlib() {
  local root=$1 in out
  in=$(ls "$root"/usr/i686-w64-mingw32/lib/zlib*.dll 2>/dev/null | head -1)
  [ -n "$in" ] || return 1
  out="$root/usr/lib/i386-linux-gnu/wine/i386-windows/$(basename "$in")"
  {
    head -c 64 "$in"
    printf 'Wine builtin DLL'
    printf '\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0'
    tail -c +97 "$in"
  } > "$out"
}

# Makes an unpacked folder usable by the emulated loader; FONTS and CACHE as the guest sees them.
#   wine_i386_finish_folder ROOT FONTS CACHE
wine_i386_finish_folder() {
  local root=$1 fonts=$2 cache=$3 d link target
  # Debian 13's packages put everything below /usr and leave the /lib and /bin links to
  # base-files, which is not unpacked; the program interpreter is /lib/ld-linux.so.2.
  for d in bin sbin lib; do
    [ -e "$root/$d" ] || [ ! -d "$root/usr/$d" ] || ln -s "usr/$d" "$root/$d"
  done
  # Nothing here is read by Wine; about a tenth of the folder.
  rm -rf "$root"/usr/share/doc "$root"/usr/share/man "$root"/usr/share/info "$root"/usr/share/lintian \
    "$root"/usr/share/locale "$root"/usr/share/bug
  # The kernel follows the folder's links, and for it the folder is not the root: links naming
  # absolute paths (fontconfig's conf.d) would lead out of it, so those whose target is in the
  # folder are made relative.
  find "$root" -lname '/*' -print | while read -r link; do
    target=$(readlink "$link")
    [ -e "$root$target" ] && ln -sfnr "$root$target" "$link"
  done
  [ -f "$root/etc/ld.so.conf" ] || echo 'include /etc/ld.so.conf.d/*.conf' > "$root/etc/ld.so.conf"
  wine_i386_zlib "$root" || return 1
  # qemu -L looks a path up in the folder first, so the fonts the guest sees are the folder's:
  # they are made the system's (or the tree's) fonts.
  rm -rf "$root/usr/share/fonts"
  ln -s "$fonts" "$root/usr/share/fonts"
  # Files that the guest creates land on the system's paths (-L redirects only paths that exist
  # in the folder), so fontconfig is given a cache folder of its own, named before the system's.
  mkdir -p "$root/etc/fonts/conf.d"
  cat > "$root/etc/fonts/conf.d/00-norvane-cache.conf" <<EOF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <cachedir>$cache</cachedir>
</fontconfig>
EOF
}

# Writes the loader folder, usr/lib/wine-emulated beside the folder's own usr/lib/wine: Wine
# finds its libraries (../i386-linux-gnu/wine) and NLS files (../../share/wine) relative to its
# loader, and starts every new Windows process by executing `wine` from its loader's folder,
# which here must be a script, as the kernel may not run the i386 loader itself. The real loader
# is a copy under another name (qemu reports the resolved path of the program as /proc/self/exe,
# so a link would lead Wine back to the i386 file), and `-0` gives it the script's name as
# argv[0], which Wine takes for its loader's name.
#   wine_i386_write_loader ROOT INNER QEMU SERVER   (INNER, QEMU and SERVER as the runner sees them)
wine_i386_write_loader() {
  local root=$1 inner=$2 qemu=$3 server=$4
  local loader="$root/usr/lib/wine-emulated" inner_loader="$inner/usr/lib/wine-emulated"
  mkdir -p "$loader" && cp -f "$root/usr/lib/wine/wine" "$loader/wine.i386" || return 1
  cat > "$loader/wine" <<EOF
#!/bin/sh
# Runs Wine's 32-bit loader under qemu-i386. The loader must not re-execute itself (it would
# execute the i386 file directly); it reads --version and --help only on that first pass, which
# ends before the re-execution for these.
case "\${1:-}" in
  --version|--help|"") unset WINELOADERNOEXEC ;;
  *) WINELOADERNOEXEC=1; export WINELOADERNOEXEC ;;
esac
exec '$qemu' -0 '$inner_loader/wine' -L '$inner' '$inner_loader/wine.i386' "\$@"
EOF
  printf '#!/bin/sh\n# The 64-bit wineserver of the same Wine version serves 32-bit clients.\nexec %s "$@"\n' \
    "'$server'" > "$loader/wineserver"
  chmod +x "$loader/wine" "$loader/wineserver"
}

# Downloads the closure of the i386 Wine packages of one Debian release, unpacks it into
# HOST/root and makes it ready for the emulated loader. RUN... is what runs a command where INNER
# is HOST and where that release's apt and ldconfig are found: nothing for the system,
# wine10_chroot for the Wine 10 tree.
#   wine_i386_unpack HOST INNER SUITE VERSION FONTS RUN...
wine_i386_unpack() {
  local host=$1 inner=$2 suite=$3 version=$4 fonts=$5 log="$1.log" mirror p deb pinned=""
  shift 5
  mirror=$(wine10_mirror)
  # The downloaded packages survive an interrupted build; everything else is made anew.
  rm -rf "$host/root" "$host/ready" "$host/fontconfig-cache"
  mkdir -p "$host/root" "$host/fontconfig-cache" || return 1
  local keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  wine_i386_apt_config "$host" "$inner" "deb [signed-by=$keyring] $mirror $suite main
deb [signed-by=$keyring] $mirror $suite-updates main" || return 1
  for p in $WINE_I386_PACKAGES; do pinned="$pinned $p=$version"; done
  { "$@" env APT_CONFIG="$inner/apt/apt.conf" apt-get -q update &&
    "$@" env APT_CONFIG="$inner/apt/apt.conf" apt-get -q -y --download-only install $pinned
  } >"$log" 2>&1 ||
    { wine_i386_fail "could not download $suite's i386 Wine $version (see ${log#$NORVANE_ROOT/})"; return 1; }
  for deb in "$host"/apt/cache/archives/*.deb; do
    dpkg-deb -x "$deb" "$host/root" || { wine_i386_fail "could not unpack $deb"; return 1; }
  done
  [ -x "$host/root/usr/lib/wine/wine" ] || { wine_i386_fail "no 32-bit Wine loader in $suite's packages"; return 1; }
  # The folder's own library cache, made by the ldconfig of the same C library: without it the
  # emulated loader reads the system's /etc/ld.so.cache, mixes in its /lib32 and does not find
  # FreeType.
  { wine_i386_finish_folder "$host/root" "$fonts" "$inner/fontconfig-cache" &&
    "$@" ldconfig -r "$inner/root"; } >>"$log" 2>&1 ||
    { wine_i386_fail "could not finish the unpacked folder (see ${log#$NORVANE_ROOT/})"; return 1; }
  rm -rf "$host"/apt/cache/archives/*.deb "$host"/apt/cache/*.bin "$host"/apt/state/lists
}

# qemu-i386 from Debian 13's qemu-user (static binaries), extracted once inside the Wine 10 tree;
# prints its path in the tree.
wine_i386_qemu() {
  local inner=$WINE_I386_QEMU_INNER host="$WINE10_ROOT$WINE_I386_QEMU_INNER"
  if [ ! -x "$host/qemu-i386" ] || [ ! -s "$host/version" ]; then
    rm -rf "$host" && mkdir -p "$host/deb" || return 1
    wine10_chroot bash -c '
        set -e
        cd "$1/deb"
        apt-get download -q qemu-user 2>/dev/null || { apt-get update -q && apt-get download -q qemu-user; }
        dpkg-deb -x qemu-user_*.deb x
        cp x/usr/bin/qemu-i386 "$1/qemu-i386"
        dpkg-deb -f qemu-user_*.deb Version > "$1/version"
      ' wine-i386-qemu "$inner" >"$host.log" 2>&1 || { rm -rf "$host"; return 1; }
    rm -rf "$host/deb"
  fi
  echo "$inner/qemu-i386"
}

wine8_emulated_prepare() {
  local dir=$WINE8_EMULATED_DIR version qemu stamp start=$SECONDS server=/usr/lib/wine/wineserver64
  version=$(dpkg-query -W -f '${Version}' wine64 2>/dev/null) && [ -x "$server" ] ||
    { wine_i386_fail "the system's wine64 (with $server) is needed"; return 1; }
  stamp="wine $version, layout $WINE_I386_LAYOUT, in $dir"
  [ -f "$dir/ready" ] && [ "$(cat "$dir/ready")" = "$stamp" ] && [ -x "$dir/qemu-i386" ] && return 0
  echo "wine-i386: unpacking Debian 12's i386 Wine $version into ${dir#$NORVANE_ROOT/}"
  wine_i386_unpack "$dir" "$dir" bookworm "$version" /usr/share/fonts || return 1
  { wine10_prepare >/dev/null && qemu=$(wine_i386_qemu) && cp -f "$WINE10_ROOT$qemu" "$dir/qemu-i386"; } ||
    { wine_i386_fail "could not take qemu-i386 from Debian 13's qemu-user"; return 1; }
  wine_i386_write_loader "$dir/root" "$dir/root" "$dir/qemu-i386" "$server" || return 1
  echo "$stamp" > "$dir/ready"
  echo "wine-i386: Wine $version (i386, emulated) ready in $((SECONDS - start)) s, $(du -sh "$dir" | cut -f1)"
}

wine10_emulated_write_runners() {
  local loader="$WINE10_EMULATED_INNER/root/usr/lib/wine-emulated"
  wine10_write_runner "$WINE10_EMULATED" "$WINE10_EMULATED_SERVER" "$loader/wine" "$loader/wineserver" \
    "$WINE10_EMULATED_PREFIX" win32
}

wine10_emulated_prepare() {
  local inner=$WINE10_EMULATED_INNER host="$WINE10_ROOT$WINE10_EMULATED_INNER" version qemu stamp
  local start=$SECONDS server=/usr/lib/wine/wineserver64
  wine10_prepare >/dev/null || { wine_i386_fail "no Wine 10 tree could be built"; return 1; }
  version=$(dpkg-query --admindir="$WINE10_ROOT/var/lib/dpkg" -W -f '${Version}' wine64 2>/dev/null) &&
    [ -x "$WINE10_ROOT$server" ] || { wine_i386_fail "the Wine 10 tree has no wine64 (with $server)"; return 1; }
  stamp="wine $version, layout $WINE_I386_LAYOUT, in $WINE10_ROOT"
  if [ -f "$host/ready" ] && [ "$(cat "$host/ready")" = "$stamp" ] && [ -x "$WINE10_ROOT$WINE_I386_QEMU_INNER/qemu-i386" ]; then
    wine10_emulated_write_runners
    return 0
  fi
  echo "wine-i386: unpacking Debian 13's i386 Wine $version into the Wine 10 tree's $inner"
  wine_i386_unpack "$host" "$inner" trixie "$version" /usr/share/fonts wine10_chroot || return 1
  qemu=$(wine_i386_qemu) || { wine_i386_fail "could not take qemu-i386 from Debian 13's qemu-user"; return 1; }
  wine_i386_write_loader "$host/root" "$inner/root" "$qemu" "$server" || return 1
  wine10_emulated_write_runners
  echo "$stamp" > "$host/ready"
  echo "wine-i386: Wine $version (i386, emulated) ready in $((SECONDS - start)) s, $(du -sh "$host" | cut -f1)"
}

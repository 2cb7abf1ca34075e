#!/usr/bin/env bash
# SQLCipher for the Windows cross build, from Debian's own source packages: sqlcipher
# with libtomcrypt as its crypto provider, both compiled with MinGW-w64 into static
# libraries. Usage: build-windows-sqlcipher.sh PREFIX (gets include/ and lib/).
# Safe to run again: a finished build is kept.
set -euo pipefail

prefix=$(realpath -m "${1:?usage: build-windows-sqlcipher.sh PREFIX}")
stamp="$prefix/built-from-debian-sources"
[ -f "$stamp" ] && exit 0

host=x86_64-w64-mingw32
cc="$host-gcc-posix"
command -v ccache > /dev/null && cc="ccache $cc"
jobs=${JOBS:-2}
src="$prefix/src"
mkdir -p "$src" "$prefix/include" "$prefix/lib"

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

# apt-get source needs a deb-src entry; Debian's own images carry only binary ones.
if ! apt-get source --print-uris -q sqlcipher > /dev/null 2>&1; then
  echo "Adding Debian's bookworm sources to apt"
  $SUDO tee /etc/apt/sources.list.d/vor-fwupdate-deb-src.sources > /dev/null << 'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  $SUDO apt-get update -q
fi

cd "$src"
ls -d sqlcipher-*/ > /dev/null 2>&1 || apt-get source -q sqlcipher
ls -d libtomcrypt-*/ > /dev/null 2>&1 || apt-get source -q libtomcrypt
sqlcipher_src=$(realpath sqlcipher-*/)
tomcrypt_src=$(realpath libtomcrypt-*/)

# The crypto provider: only the ciphers, hashes and PRNG matter, the test programs do not.
echo "Building libtomcrypt for $host"
make -C "$tomcrypt_src" -j"$jobs" CROSS_COMPILE="$host-" CC="$cc" CFLAGS="-O2 -DLTC_NO_TEST" library > "$src/libtomcrypt.log" 2>&1 ||
  { tail -30 "$src/libtomcrypt.log"; exit 1; }
cp "$tomcrypt_src/libtomcrypt.a" "$prefix/lib/"

# The amalgamation is made by host tools (lemon, tclsh) and is the same for every target.
echo "Making the SQLCipher amalgamation"
mkdir -p "$src/amalgamation"
(cd "$src/amalgamation" && "$sqlcipher_src/configure" --disable-tcl > configure.log 2>&1 &&
  make sqlite3.c > make.log 2>&1) || { tail -30 "$src/amalgamation/make.log"; exit 1; }

# The codec with libtomcrypt; temporary tables in memory, so plain text never reaches a temp file.
echo "Building SQLCipher for $host"
$cc -O2 -c "$src/amalgamation/sqlite3.c" -o "$src/sqlite3.o" -w \
  -DSQLITE_HAS_CODEC -DSQLCIPHER_CRYPTO_LIBTOMCRYPT -DSQLITE_TEMP_STORE=2 -DSQLITE_THREADSAFE=1 \
  -DSQLITE_OMIT_LOAD_EXTENSION -I"$tomcrypt_src/src/headers"
rm -f "$prefix/lib/libsqlcipher.a"
"$host-ar" rcs "$prefix/lib/libsqlcipher.a" "$src/sqlite3.o"
cp "$src/amalgamation/sqlite3.h" "$prefix/include/"
touch "$stamp"

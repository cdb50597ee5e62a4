#!/usr/bin/env bash
# Checks the deb-src entries scripts/windows-deps.sh derives from apt sources: both source
# formats, the options that must survive (Signed-By above all, inline keys included), and
# the entries that must not appear (other archives, disabled ones, ones that already have
# sources, the output file itself, duplicates).
set -uo pipefail
awk_program=$(cd "$(dirname "$0")/../.." && pwd)/scripts/windows/deb_src.awk
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0

# derive NAME: runs the program over the files in $work/NAME with $work/NAME.allowed.
derive() {
    awk -v allowed="$work/$1.allowed" -v own="$work/$1/zuzor-deb-src.sources" \
        -f "$awk_program" "$work/$1"/*
}

expect() {
    local name=$1 expected=$2 actual
    actual=$(derive "$name")
    if [ "$actual" == "$expected" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL $name"
        diff <(echo "$expected") <(echo "$actual")
    fi
}

mkdir -p "$work/one_line"
cat >"$work/one_line/sources.list" <<'SRC'
# the archive
deb [arch=amd64 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://mirror.test/debian bookworm main contrib # comment
  deb http://mirror.test/debian bookworm-updates main
deb-src http://mirror.test/debian bookworm-updates main
deb [ trusted=yes ] http://mirror.test/debian-security bookworm-security main
deb http://other.test/apt stable main
deb http://mirror.test/debian bookworm main contrib
SRC
cat >"$work/one_line/zuzor-deb-src.sources" <<'SRC'
Types: deb
URIs: http://stale.test/debian
Suites: bookworm
SRC
cat >"$work/one_line.allowed" <<'SRC'
http://mirror.test/debian/ bookworm
http://mirror.test/debian/ bookworm-updates
http://mirror.test/debian-security/ bookworm-security
http://stale.test/debian/ bookworm
SRC
expect one_line "
Types: deb-src
URIs: http://mirror.test/debian
Suites: bookworm
Components: main contrib
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://mirror.test/debian-security
Suites: bookworm-security
Components: main
trusted: yes"

mkdir -p "$work/deb822"
cat >"$work/deb822/debian.sources" <<'SRC'
Types: deb
# a comment inside the stanza
URIs: http://mirror.test/debian http://backup.test/debian
Suites: bookworm bookworm-updates
Components: main
Architectures: amd64
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGPL0BUBEADmW5NdOOHwPIJlgPu6JDcKw/NZJPR8lsD9K7UgrF6nz9sVxnNe
 -----END PGP PUBLIC KEY BLOCK-----

Types: deb
URIs: http://mirror.test/debian-security
Suites: bookworm-security
Components: main
Enabled: no

Types: deb deb-src
URIs: http://mirror.test/debian-ports
Suites: sid
Components: main
SRC
cat >"$work/deb822.allowed" <<'SRC'
http://mirror.test/debian bookworm
http://mirror.test/debian bookworm-updates
http://mirror.test/debian-security bookworm-security
http://mirror.test/debian-ports sid
SRC
expect deb822 "
Types: deb-src
URIs: http://mirror.test/debian
Suites: bookworm
Components: main
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGPL0BUBEADmW5NdOOHwPIJlgPu6JDcKw/NZJPR8lsD9K7UgrF6nz9sVxnNe
 -----END PGP PUBLIC KEY BLOCK-----

Types: deb-src
URIs: http://mirror.test/debian
Suites: bookworm-updates
Components: main
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGPL0BUBEADmW5NdOOHwPIJlgPu6JDcKw/NZJPR8lsD9K7UgrF6nz9sVxnNe
 -----END PGP PUBLIC KEY BLOCK-----"

mkdir -p "$work/no_archive"
echo "deb http://other.test/apt stable main" >"$work/no_archive/other.list"
: >"$work/no_archive.allowed"
expect no_archive ""

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

# deb-src entries for the Debian archive this machine already uses, so that `apt-get source`
# fetches from the same mirror, suites and keys as the binary packages. The entries are
# derived from the apt sources at run time and kept in a file of their own.
# Sourced by scripts/windows-deps.sh.

ZUZOR_DEB_SRC_FILE=/etc/apt/sources.list.d/zuzor-deb-src.sources

# The apt source files apt itself reads: sources.list and the .list and .sources files of
# sources.list.d (apt ignores other names there, such as *.disabled).
apt_source_files() {
    local file
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
        /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] && printf '%s\n' "$file"
    done
}

# "URI SUITE" for every configured binary index whose Release file says Origin: Debian.
# apt has parsed the sources and read the Release files already, so third-party
# repositories (which often publish no sources) are told apart by what they are.
debian_archive_pairs() {
    apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(ORIGIN)' 'Created-By: Packages' |
        awk '$3 == "Debian" { print $1, $2 }' | sort -u
}

# Prints the deb822 text of the deb-src file for the given "URI SUITE" list (a file).
deb_src_text() {
    local allowed=$1 stanzas
    local files=()
    mapfile -t files < <(apt_source_files)
    [ ${#files[@]} -gt 0 ] || return 0
    stanzas=$(awk -v allowed="$allowed" -v own="$ZUZOR_DEB_SRC_FILE" \
        -f "$ZUZOR_WINDOWS_SCRIPTS/deb_src.awk" "${files[@]}")
    [ -n "$stanzas" ] || return 0
    printf '# Source entries for the Debian archive in the apt sources of this machine,\n'
    printf '# written by zuzor scripts/windows-deps.sh.\n%s\n' "$stanzas"
}

# Writes the deb-src file when its content changes and refreshes the package lists then,
# or when no source index is known yet.
ensure_deb_src_entries() {
    local allowed text
    allowed=$(mktemp)
    debian_archive_pairs >"$allowed"
    if [ ! -s "$allowed" ]; then
        # No Release file read yet: a machine that has never run apt-get update.
        apt-get update -q >&2 || { rm -f "$allowed"; return 1; }
        debian_archive_pairs >"$allowed"
    fi
    if [ ! -s "$allowed" ]; then
        rm -f "$allowed"
        echo "windows-deps: no Debian archive in the apt sources; cannot fetch sources" >&2
        return 1
    fi
    text=$(deb_src_text "$allowed")
    rm -f "$allowed"
    local changed=
    if [ -n "$text" ] && [ "$text" != "$(cat "$ZUZOR_DEB_SRC_FILE" 2>/dev/null)" ]; then
        printf '%s\n' "$text" >"$ZUZOR_DEB_SRC_FILE"
        echo "windows-deps: wrote $ZUZOR_DEB_SRC_FILE" >&2
        changed=1
    fi
    if [ -n "$changed" ] || [ -z "$(apt-cache showsrc freeglut 2>/dev/null)" ]; then
        apt-get update -q >&2
    fi
}

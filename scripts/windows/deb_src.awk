# Turns the machine's apt sources into deb-src stanzas (deb822) for the archives named in
# the file `allowed` ("URI SUITE" a line): one stanza per URI and suite of each enabled `deb`
# entry, with its components and its other options (Signed-By above all) kept, and none for
# a URI and suite that already has a deb-src entry. Reads one-line `.list` files and deb822
# `.sources` files alike; `own` names the file this output goes to, which is never read.
# POSIX awk (Debian's default is mawk).

function trim(s) {
    sub(/^[ \t]+/, "", s)
    sub(/[ \t]+$/, "", s)
    return s
}

# A URI is compared without its trailing slashes: apt writes "…/debian/", people "…/debian".
function pair_key(uri, suite) {
    sub(/\/+$/, "", uri)
    return uri " " suite
}

function add_entry(type, uri, suite, components, extra) {
    if (type == "deb-src") {
        has_source[pair_key(uri, suite)] = 1
    } else if (type == "deb") {
        n_entries++
        entry_uri[n_entries] = uri
        entry_suite[n_entries] = suite
        entry_components[n_entries] = components
        entry_extra[n_entries] = extra
    }
}

# deb822: a stanza ends at a blank line or at the end of its file.
function end_stanza(    types, uris, suites, nt, nu, ns, t, u, s) {
    if (!in_stanza) return
    in_stanza = 0
    if (tolower(field["enabled"]) == "no") return
    nt = split(field["types"], types, /[ \t\n]+/)
    nu = split(field["uris"], uris, /[ \t\n]+/)
    ns = split(field["suites"], suites, /[ \t\n]+/)
    for (t = 1; t <= nt; t++)
        for (u = 1; u <= nu; u++)
            for (s = 1; s <= ns; s++)
                add_entry(types[t], uris[u], suites[s], trim(field["components"]), stanza_extra)
}

function start_stanza() {
    in_stanza = 1
    stanza_extra = ""
    split("", field)
}

# Fields of a .sources stanza that are not copied as they are: the ones this script sets
# itself and the ones that mean nothing to a source index.
function copied_field(name) {
    return name != "types" && name != "uris" && name != "suites" && name != "components" &&
           name != "enabled" && name != "architectures"
}

# One-line option keys whose deb822 names differ; apt reads the other names either way.
function deb822_option(key) {
    if (key == "signed-by") return "Signed-By"
    if (key == "lang") return "Languages"
    if (key == "target") return "Targets"
    return key
}

function one_line_entry(line,    n, tok, i, type, options, opts, no, o, key, value, extra, comps) {
    sub(/#.*/, "", line)
    line = trim(line)
    n = split(line, tok, /[ \t]+/)
    # split() keeps an empty first field for a line that starts with blanks
    if (n > 0 && tok[1] == "") {
        for (i = 1; i < n; i++) tok[i] = tok[i + 1]
        n--
    }
    if (n < 3) return
    type = tok[1]
    i = 2
    if (substr(tok[2], 1, 1) == "[") {
        options = ""
        for (; i <= n; i++) {
            options = options " " tok[i]
            if (index(tok[i], "]")) break
        }
        i++
        gsub(/[][]/, " ", options)
        no = split(trim(options), opts, /[ \t]+/)
        extra = ""
        for (o = 1; o <= no; o++) {
            key = opts[o]
            sub(/=.*/, "", key)
            value = substr(opts[o], length(key) + 2)
            # arch= means nothing for sources; arch+=, arch-= and the like are left out
            if (key == "arch" || key ~ /[+-]$/ || value == "") continue
            extra = extra deb822_option(key) ": " value "\n"
        }
    }
    if (i + 1 > n) return
    comps = ""
    for (o = i + 2; o <= n; o++) comps = comps (comps == "" ? "" : " ") tok[o]
    add_entry(type, tok[i], tok[i + 1], comps, extra)
}

BEGIN {
    while ((getline line < allowed) > 0) {
        split(line, a, /[ \t]+/)
        allow[pair_key(a[1], a[2])] = 1
    }
}

FNR == 1 {
    end_stanza()
    last_field = ""
    skip_file = (FILENAME == own)
    deb822 = (FILENAME ~ /\.sources$/)
}

skip_file { next }

deb822 && /^#/ { next }
deb822 && /^[ \t]*$/ { end_stanza(); last_field = ""; next }
deb822 && /^[ \t]/ {
    if (last_field != "") {
        field[last_field] = field[last_field] "\n" $0
        if (copied_field(last_field)) stanza_extra = stanza_extra $0 "\n"
    }
    next
}
deb822 {
    if (!in_stanza) start_stanza()
    colon = index($0, ":")
    if (colon == 0) next
    name = tolower(trim(substr($0, 1, colon - 1)))
    field[name] = trim(substr($0, colon + 1))
    last_field = name
    if (copied_field(name)) stanza_extra = stanza_extra $0 "\n"
    next
}

{ one_line_entry($0) }

END {
    end_stanza()
    for (e = 1; e <= n_entries; e++) {
        key = pair_key(entry_uri[e], entry_suite[e])
        if (!(key in allow) || (key in has_source) || (key in written)) continue
        written[key] = 1
        printf "\nTypes: deb-src\nURIs: %s\nSuites: %s\n", entry_uri[e], entry_suite[e]
        if (entry_components[e] != "") printf "Components: %s\n", entry_components[e]
        printf "%s", entry_extra[e]
    }
}

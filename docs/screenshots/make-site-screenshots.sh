#!/usr/bin/env bash
# Makes the README's pictures of a published site with headless Chromium: the contents page,
# a topic with a table and a picture, and a search. The site is Penwick's own help with one topic
# added that shows both.
#
#   docs/screenshots/make-site-screenshots.sh [SCVTOOL]
#
# SCVTOOL defaults to build-test/bin/scvtool (scvtool-render must lie beside it).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
top="$(cd "$here/../.." && pwd)"
scvtool="${1:-$top/build-test/bin/scvtool}"
[ -x "$scvtool" ] || { echo "make-site-screenshots.sh: no scvtool at $scvtool" >&2; exit 1; }
command -v chromium >/dev/null || { echo "make-site-screenshots.sh: chromium is missing" >&2; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/scrivane-shots.XXXXXX")"
trap 'rm -rf "$work"' EXIT
cp "$top/data/Scrivane.scv" "$work/Scrivane.scv"

# A topic with a picture (Penwick's window, shown at 480 by 300 pixels) and a table. Records
# hold no double quotes, and neither does this RTF.
picture="$(od -An -v -tx1 "$here/penwick.png" | tr -d ' \n')"
{
    printf '"1","Penwick at a Glance","{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Verdana;}}'
    printf '{\\colortbl;\\red0\\green0\\blue128;}\\f0\\fs20'
    printf '{\\pard\\outlinelevel1\\b\\fs28\\cf1 The window\\par}'
    printf '\\pard\\sa120 Penwick shows the topic you type on the left and the document on the '
    printf 'right:\\par'
    printf '\\pard\\sa120{\\pict\\pngblip\\picwgoal7200\\pichgoal4500 %s}\\par' "$picture"
    printf '{\\pard\\outlinelevel1\\b\\fs28\\cf1 Its buttons\\par}'
    printf '\\pard\\trowd\\trgaph80\\cellx2200\\cellx7000'
    printf '\\intbl\\b Button\\b0\\cell\\b What it does\\b0\\cell\\row'
    printf '\\trowd\\trgaph80\\cellx2200\\cellx7000'
    printf '\\intbl Save\\cell Adds the topic, or replaces the one being edited.\\cell\\row'
    printf '\\trowd\\trgaph80\\cellx2200\\cellx7000'
    printf '\\intbl Review\\cell Shows the document in Leafwick, as last saved.\\cell\\row'
    printf '\\trowd\\trgaph80\\cellx2200\\cellx7000'
    printf '\\intbl Insert\\cell Adds an empty topic after the chosen one.\\cell\\row'
    printf '\\pard\\sb120 See {\\field{\\*\\fldinst HYPERLINK topic:Getting%%20Started}'
    printf '{\\fldrslt\\ul Getting Started}} for your first topic.\\par}"\r\n'
} >>"$work/Scrivane.scv"

(cd "$work" && "$scvtool" export Scrivane.scv --html site >/dev/null)
topic="$(cd "$work/site" && ls -- *-penwick-at-a-glance.html)"

shoot() { # output file, page (with query), window height
    local profile
    profile="$(mktemp -d "$work/profile.XXXXXX")"
    HOME="$profile" chromium --headless --no-sandbox --disable-gpu --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --user-data-dir="$profile/data" --hide-scrollbars --window-size="1200,$3" \
        --screenshot="$here/$1" "file://$work/site/$2" >/dev/null 2>&1
    [ -s "$here/$1" ] || { echo "make-site-screenshots.sh: no $1" >&2; exit 1; }
    echo "wrote docs/screenshots/$1"
}

shoot site-index.png index.html 760
shoot site-topic.png "$topic" 900
shoot site-search.png "search.html?q=reader+topic" 760

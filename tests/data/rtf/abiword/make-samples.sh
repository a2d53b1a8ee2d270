#!/usr/bin/env bash
# Makes this folder's RTF samples with AbiWord (Debian 12's abiword 3.0.5 and pandoc 2.17) from
# texts in /usr/share/doc. Run it in this folder. The .txt files beside the samples are not made
# here: they hold the text the reader must show, checked by hand (see README.md).
set -euo pipefail

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# AbiWord's --to option prints warnings of its document-metadata library; they are harmless.
abi() { abiword --to="$1" "$2" -o "$3" 2>/dev/null; }

# a01: apt's README, its headings given AbiWord's "Numbered Heading" styles, as an author does
# to number them. AbiWord writes each such heading, and each item of the README's list, as a
# whole paragraph inside {\listtext ...\par}.
zcat /usr/share/doc/apt/README.md.gz >"$work/apt.md"
pandoc "$work/apt.md" -o "$work/apt.odt"
abi abw "$work/apt.odt" "$work/apt.abw"
sed -E \
    -e 's#<p style="Heading ([1-3])"([^>]*)>#<p style="Numbered Heading \1" listid="\1" parentid="0" level="\1"\2><field type="list_label"/>\t#' \
    -e 's#</styles>#</styles>\n<lists>\n<l id="1" parentid="0" type="0" start-value="1" list-delim="%L." list-decimal="."/>\n<l id="2" parentid="1" type="0" start-value="1" list-delim="%L." list-decimal="."/>\n<l id="3" parentid="2" type="0" start-value="1" list-delim="%L." list-decimal="."/>\n</lists>#' \
    "$work/apt.abw" >"$work/apt-numbered.abw"
abi rtf "$work/apt-numbered.abw" a01-apt-readme-numbered-headings.rtf

# a02: bats' README through pandoc's ODT, as AbiWord opens and saves it: headings, code blocks,
# a nested bullet list.
# The badges at its top are pictures on the web; they are left out, as nothing is fetched.
zcat /usr/share/doc/bats/README.md.gz | grep -v '^\[!\[' >"$work/bats.md"
pandoc "$work/bats.md" -o "$work/bats.odt"
abi rtf "$work/bats.odt" a02-bats-readme.rtf

# a03: base-passwd's "Users and Groups in the Debian System", the HTML opened in AbiWord:
# a numbered table of contents and definition lists.
abi rtf /usr/share/doc/base-passwd/users-and-groups.html a03-users-and-groups.rtf

#!/usr/bin/env bash
# demo.sh BUILD_DIR - runs the zrmoji of BUILD_DIR through its everyday uses
# on a small Japanese text, so that a new user sees it work at once.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
zrmoji=$build/cli/zrmoji
if [ ! -x "$zrmoji" ]; then
  echo "demo.sh: no $zrmoji; build first (./run.sh demo does)" >&2
  exit 2
fi
zrmoji=$(cd "$(dirname "$zrmoji")" && pwd)/zrmoji
work=$(mktemp -d "${TMPDIR:-/tmp}/zrmoji-demo.XXXXXX")
trap 'rm -rf "$work"' EXIT

step() { printf '\n\033[1m== %s\033[0m\n$ %s\n' "$1" "$2"; }
hex() { od -An -tx1 -v | tr -s ' \n' ' ' | cut -c1-"${1:-72}"; echo ' ...'; }

# The sample: UTF-8, a few lines of everyday Japanese.
cat > "$work/sample.txt" <<'EOF'
吾輩の机の上には、古い辞書と湯呑みが一つずつ置いてある。
春の朝、窓の外では雀が鳴き、遠くで電車の音がする。
ＡＢＣ（全角）とABC（半角）、記号：※〒♪①
EOF

step "The sample text (UTF-8, $(wc -c < "$work/sample.txt") bytes)" "cat sample.txt"
cat "$work/sample.txt"

step "UTF-8 to Shift_JIS (code page 932)" "zrmoji conv -f utf8 -t sjis sample.txt > sample.sjis"
"$zrmoji" conv -f utf8 -t sjis "$work/sample.txt" > "$work/sample.sjis"
echo "$(wc -c < "$work/sample.sjis") bytes:"; hex < "$work/sample.sjis"

step "What is it? zrmoji guesses encoding, line endings and byte order mark" \
  "zrmoji guess sample.txt sample.sjis; zrmoji conv -t utf8 -v sample.sjis | head -n 1"
(cd "$work" && "$zrmoji" guess sample.txt sample.sjis && "$zrmoji" conv -t utf8 -v sample.sjis 2>&1 | head -n 2)

step "Shift_JIS to ISO-2022-JP (what mail uses): ESC \$ B ... ESC ( B around kanji" \
  "zrmoji conv -f sjis -t jis sample.sjis | cat -v | head -n 1"
"$zrmoji" conv -f sjis -t jis "$work/sample.sjis" > "$work/sample.jis"
cat -v "$work/sample.jis" | head -n 1

step "ISO-2022-JP to EUC-JP to UTF-16 and back to UTF-8: the text comes back whole" \
  "zrmoji conv -f jis -t euc | zrmoji conv -f euc -t utf16 | zrmoji conv -f utf16 -t utf8"
"$zrmoji" conv -f jis -t euc "$work/sample.jis" | "$zrmoji" conv -f euc -t utf16 \
  | "$zrmoji" conv -f utf16 -t utf8 > "$work/back.txt"
if cmp -s "$work/back.txt" "$work/sample.txt"; then echo "identical to the sample"; else
  diff "$work/sample.txt" "$work/back.txt" || true; fi

step "Nothing is lost silently: a character ISO-2022-JP lacks stops the command (exit 1)..." \
  "echo '髙橋様' | zrmoji conv -f utf8 -t jis"
set +e
echo '髙橋様' | "$zrmoji" conv -f utf8 -t jis >/dev/null
echo "exit status $?"
set -e
step "... unless --errors says what to do with it (-v counts)" \
  "echo '髙橋様' | zrmoji conv -f utf8 -t jis --errors=replace --replace-with=〓 -v | zrmoji conv -f jis -t utf8"
echo '髙橋様' | "$zrmoji" conv -f utf8 -t jis --errors=replace --replace-with=〓 -v 2>&1 >"$work/r.jis"
"$zrmoji" conv -f jis -t utf8 "$work/r.jis"

step "Half-width katakana become full-width in ISO-2022-JP; 〜 maps as JIS-based tools do" \
  "printf 'ｶﾞｲﾄﾞ 〜\\n' | zrmoji conv -f utf8 -t jis | cat -v; ... -t sjis | od"
printf 'ｶﾞｲﾄﾞ 〜\n' | "$zrmoji" conv -f utf8 -t jis | cat -v
printf '〜\n' | "$zrmoji" conv -f utf8 -t sjis | hex 12

step "Many files in place: mode and links kept, files already converted left alone" \
  "zrmoji conv -f sjis -t utf8 -i -r tree/"
mkdir -p "$work/tree/sub"
cp "$work/sample.sjis" "$work/tree/a.txt"; cp "$work/sample.sjis" "$work/tree/sub/b.txt"
echo 'plain ASCII: the same bytes in both' > "$work/tree/sub/ascii.txt"; chmod 750 "$work/tree/a.txt"
ln -s a.txt "$work/tree/link.txt"
(cd "$work" && "$zrmoji" conv -f sjis -t utf8 -i -r tree 2>&1 && stat -c '%A %N' tree/* tree/sub/*)

step "A MIME subject: encode in ISO-2022-JP words, then decode" \
  "echo '会議のお知らせ（来週月曜）' | zrmoji mime encode | zrmoji mime decode"
words=$(echo '会議のお知らせ（来週月曜）' | "$zrmoji" mime encode)
echo "Subject: $words"
echo "Subject: $words" | "$zrmoji" mime decode

step "Base64 with a charset, line by line" "echo 'こんにちは' | zrmoji b64 encode --charset jis"
echo 'こんにちは' | "$zrmoji" b64 encode --charset jis
echo 'GyRCJDMkcyRLJEEkTxsoQg==' | "$zrmoji" b64 decode --charset jis

step "A Japanese URL: decode with the encoding detected (-v tells which)" \
  "zrmoji url decode -v"
printf '%s\n' 'https://example.jp/search?q=%E6%97%A5%E6%9C%AC%E8%AA%9E' \
  'https://example.jp/find?word=%93%FA%96%7B%8C%EA' | "$zrmoji" url decode -v 2>&1

step "Percent-encode text in each of the four encodings" "zrmoji url encode --charset CS"
for cs in utf8 sjis euc jis; do
  printf '%-5s ' "$cs"; echo '日本語' | "$zrmoji" url encode --charset "$cs"
done

step "EBCDIC (table 0x400): Shift_JIS bytes travel between 0x28 and 0x29" \
  "printf 'ABC 日本' | zrmoji conv -f utf8 -t sjis | zrmoji ebcdic to"
printf 'ABC 日本' | "$zrmoji" conv -f utf8 -t sjis | "$zrmoji" ebcdic to | hex 48

step "A code table: hiragana to katakana" "zrmoji table kana-table.txt lookup 3042 304B; ... map"
cat > "$work/kana.txt" <<'EOF'
/ hiragana, katakana (UTF-16 codes), comment
3042,30A2,a
3044,30A4,i
3046,30A6,u
304B,30AB,ka
3053,30B3,ko
EOF
"$zrmoji" table "$work/kana.txt" lookup 3042 304B 3093
echo 'あいうかこ' | "$zrmoji" table "$work/kana.txt" map

step "When the input cannot be converted, zrmoji says where (exit status 1)" \
  "printf 'ok\\n\\xf0\\x40\\n' | zrmoji conv -f sjis -t jis"
set +e
printf 'ok\n\xf0\x40\n' | "$zrmoji" conv -f sjis -t jis >/dev/null
echo "exit status $?"
set -e

printf '\nMore: %s --help, %s conv --help, man cli/zrmoji.1\n' "$zrmoji" "$zrmoji"

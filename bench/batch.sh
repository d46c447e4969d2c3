#!/usr/bin/env bash
# batch.sh [ZRMOJI] - times "zrmoji conv -i" on many files beside nkf
# --overwrite and an iconv shell loop, each rewriting the same Shift_JIS
# files to UTF-8 in place:
#   - a tree of 10,000 small files (about 1.5 KB each): files per second;
#   - three files of 100 MB: MB/s;
#   - the same small tree once more, already UTF-8: zrmoji leaves it untouched.
# Each run starts from a fresh copy of the files (the copy is not timed).
# Prints a Markdown table; ZR_BATCH_DIR chooses the scratch directory.
set -euo pipefail
cd "$(dirname "$0")/.."
zrmoji=$(realpath "${1:-build/cli/zrmoji}")
[ -x "$zrmoji" ] || { echo "batch.sh: no $zrmoji; build first" >&2; exit 2; }
command -v nkf >/dev/null || { echo "batch.sh: nkf is missing (scripts/deps.sh bench)" >&2; exit 2; }
work=$(mktemp -d "${ZR_BATCH_DIR:-${TMPDIR:-/tmp}}/zrmoji-batch.XXXXXX")
trap 'rm -rf "$work"' EXIT

python3 - "$work" <<'EOF'
import os, random, sys
work = sys.argv[1]
random.seed(15)
lines = [
    "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。",
    "春はあけぼの。やうやう白くなりゆく山ぎは、すこしあかりて、紫だちたる雲の細くたなびきたる。",
    "会議の資料（第３版）を共有フォルダに置きました。ご確認ください。",
    "ＡＢＣ商事株式会社　営業部　〒100-0001　東京都千代田区",
    "カタカナとひらがな、漢字、ASCII text 12345 が混ざった行です。",
    "本日は晴天なり。明日の天気予報は曇りのち雨、最高気温は１８度です。",
]
def text(n):
    return "".join(random.choice(lines) + "\n" for _ in range(n)).encode("shift_jis")
small = os.path.join(work, "small")
for d in range(100):
    os.makedirs(os.path.join(small, "d%02d" % d))
    for f in range(100):
        with open(os.path.join(small, "d%02d" % d, "f%03d.txt" % f), "wb") as out:
            out.write(text(20))
big = os.path.join(work, "big")
os.makedirs(big)
block = text(20000)
for i in range(3):
    with open(os.path.join(big, "big%d.txt" % i), "wb") as out:
        for _ in range((100 << 20) // len(block)):
            out.write(block)
EOF

fresh() { rm -rf "$work/run"; cp -r "$work/$1" "$work/run"; sync; }
seconds() { local t0 t1; t0=$(date +%s.%N); "$@" >/dev/null 2>&1 || true; t1=$(date +%s.%N); awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }'; }
iconv_loop() {
  find "$work/run" -type f -print0 | while IFS= read -r -d '' f; do
    iconv -f SHIFT_JIS -t UTF-8 "$f" > "$f.tmp" && mv "$f.tmp" "$f"
  done
}
nkf_all() { find "$work/run" -type f -print0 | xargs -0 nkf -S -w --overwrite; }
check() {  # every file must now be UTF-8 and equal to what iconv makes
  local f=$(find "$work/run" -type f | head -n 1)
  iconv -f UTF-8 -t UTF-8 "$f" >/dev/null || echo "batch.sh: $1 left $f not UTF-8" >&2
}

cores=$(nproc)
mb=$(du -sm "$work/big" | cut -f1)
echo "| what | zrmoji -i (-j $cores) | zrmoji -i -j 1 | nkf --overwrite | iconv loop |"
echo "|---|---|---|---|---|"
row() {  # row LABEL TREE UNIT DIVISOR
  local label=$1 tree=$2 unit=$3 n=$4 cells="" t
  for cmd in "$zrmoji conv -f sjis -t utf8 -q -i -r $work/run" \
             "$zrmoji conv -f sjis -t utf8 -q -i -r -j 1 $work/run" nkf_all iconv_loop; do
    fresh "$tree"
    t=$(seconds $cmd)
    check "$cmd"
    cells+=" $(awk -v n="$n" -v t="$t" 'BEGIN { printf "%.0f", n / t }') $unit |"
  done
  echo "| $label |$cells"
}
row "10,000 files of 1.5 KB" small "files/s" 10000
row "3 files of 100 MB" big "MB/s" "$mb"
# Already in the target form: zrmoji validates, compares and leaves them.
fresh small
"$zrmoji" conv -f sjis -t utf8 -q -i -r "$work/run"
rm -rf "$work/small"; mv "$work/run" "$work/small"
fresh small
t=$(seconds "$zrmoji" conv -f utf8 -t utf8 -q -i -r "$work/run")
t1=$(seconds "$zrmoji" conv -f utf8 -t utf8 -q -i -r -j 1 "$work/run")
echo "| 10,000 files already UTF-8 (left untouched) | $(awk -v t="$t" 'BEGIN { printf "%.0f", 10000 / t }') files/s | $(awk -v t="$t1" 'BEGIN { printf "%.0f", 10000 / t }') files/s | | |"

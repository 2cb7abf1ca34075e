#!/usr/bin/env bash
# Writes the image fuzzer's seed corpus with vor-tool: small images of each kind and
# the faulty variants the tool can produce.
# usage: make-image-corpus.sh VOR-TOOL OUT-DIR
set -euo pipefail
tool=$1
out=$2
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

describe() {  # name kind count1 count2 revision
  cat > "$work/$1.txt" <<DESC
model = 6865
version = 1H
memory = 512
revision = $5
argument = 0x1234
device = VOR Watch DC
model-name = VOR
kind = $2
key = 5A C3 17 8E 21 F0 6B 94
section1.count = $3
section2.count = $4
section2.start = 0x4000
seed = 7
DESC
}

describe both both 3 2 3
describe one section1 4 0 7
describe two section2 0 3 150
describe empty both 2 0 0

for name in both one two empty; do
  "$tool" image build "$work/$name.txt" "$out/$name.fwr" > /dev/null
done
"$tool" image build "$work/both.txt" "$out/sum1.fwr" --corrupt-checksum 1 > /dev/null
"$tool" image build "$work/both.txt" "$out/sum2.fwr" --corrupt-checksum 2 > /dev/null
"$tool" image build "$work/both.txt" "$out/string.fwr" --corrupt-string > /dev/null
"$tool" image build "$work/both.txt" "$out/address.fwr" --corrupt-address 4 > /dev/null
"$tool" image build "$work/both.txt" "$out/truncated.fwr" --truncate 600 > /dev/null
ls "$out" | wc -l | xargs echo "corpus files:"

#!/usr/bin/env bash
# Writes the seed corpora of the fuzz targets: small valid archives from sorvane-mkarchive,
# edge-case ID texts, numbers, settings files and inventories, and small ledgers that
# fuzz_ledger writes itself. Usage: scripts/fuzz-seeds.sh BUILD_DIR CORPUS_DIR
set -euo pipefail
build=$1
corpus=$2
mk="$build/tools/sorvane-mkarchive"

mkdir -p "$corpus"/{fuzz_archive,fuzz_numeric,fuzz_settings,fuzz_idlist,fuzz_health,fuzz_ledger,fuzz_inventory}
"$mk" -o "$corpus/fuzz_archive/grouped.zip" -n 2 --seed 1 --faults 0.5
"$mk" -o "$corpus/fuzz_archive/apart.zip" -n 3 --seed 2 --order volumes-first --occ mixed
"$mk" -o "$corpus/fuzz_archive/c30.zip" -n 1 --seed 3 --occ c30 --first -32768

i=0
for text in "100" " 100 , 200,300" "1.5" "-3" "+5" "-0" "1e309" "1e-400" "0x10" "abc" "" "   " \
            "100,,300" "100,200," $'100,200\r\n300' $'100\n200' "32767" "-32768" "32768" "4501.5"; do
  printf '%s' "$text" > "$corpus/fuzz_numeric/seed$i"
  printf '%s' "$text" > "$corpus/fuzz_idlist/seed$i"
  i=$((i + 1))
done

printf '\005[Param]\r\nOccSpikeTh=40\r\nDetNoTo= 4940 \r\nLockOn' > "$corpus/fuzz_settings/plain"
printf '\003[other]\na=1\n[PARAM]\nlockonmin=5\n[Param]\nx=2\nx=3\nkey' > "$corpus/fuzz_settings/mixed"
printf '\001;comment\r\n[Param\r\n=\r\n[Param]x' > "$corpus/fuzz_settings/odd"

# Inventories: a CSV with quotes and a network XML.
printf '\xEF\xBB\xBFlane_type,detector,station,label\r\nqueue,12,S1,"a, ""b""\r\nc"\r\nmainline,-3,S1,\r\n' \
  > "$corpus/fuzz_inventory/csv"
printf '<c><corridor route="US 10" dir="E"><r_node name="n1" station_id="S1" lat="44.9">
<detector name="D1" category="Q" lane="1"/><detector name="D2" abandoned="t"/></r_node></corridor></c>' \
  > "$corpus/fuzz_inventory/xml"

# Raw days for the health measures: 2880 volume bytes then 5760 occupancy bytes.
head -c 8640 /dev/zero > "$corpus/fuzz_health/zeros"
head -c 8640 /dev/urandom > "$corpus/fuzz_health/random"

# Ledgers as the program writes them, one in WAL mode and one not, with random bytes beside them.
SORVANE_FUZZ_LEDGER_SEEDS="$corpus/fuzz_ledger" "$build/fuzz/fuzz_ledger"
head -c 4096 /dev/urandom > "$corpus/fuzz_ledger/random"

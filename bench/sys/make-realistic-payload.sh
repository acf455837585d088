#!/bin/sh
# make-realistic-payload.sh DEMO_PAYLOAD OUTPUT [MEGABYTES]
# A payload as a vendor ships one: the demo payload, plus real binaries and
# documents of this machine's own packages (shared libraries, their
# documentation) and a share of data that does not compress, about
# MEGABYTES in all (150 unless told). The same machine gives the same tree.
set -eu
demo=$1
out=$2
megabytes=${3:-150}
rm -rf "$out"
mkdir -p "$out"
cp -R "$demo"/. "$out"/

budget=$((megabytes * 1024 * 1024))
libraries=$((budget * 65 / 100))
documents=$((budget * 20 / 100))
random=$((budget - libraries - documents))

# Regular files of up to 20 MB (a plug-in's are many and middling), links
# followed, in a stable order, until the share is
# reached; each goes under its own number so that names never clash.
take() { # TARGET SHARE FIND-ARGS...
    target=$1 share=$2
    shift 2
    mkdir -p "$target"
    find "$@" -type f -size +0 -size -20M 2>/dev/null | LC_ALL=C sort | {
        total=0 n=0
        while [ "$total" -lt "$share" ] && IFS= read -r f; do
            [ -r "$f" ] || continue
            n=$((n + 1))
            cp -L "$f" "$target/$n-$(basename "$f")"
            total=$((total + $(stat -c %s "$f")))
        done
    }
}
take "$out/LightWave/Plugin/win64/libraries" "$((libraries / 2))" /usr/lib/x86_64-linux-gnu -maxdepth 1 -name '*.so*'
take "$out/Cinema4D/Plugin/win64/libraries" "$((libraries / 2))" /usr/lib/x86_64-linux-gnu -mindepth 2 -name '*.so*'
take "$out/Presets/Documentation" "$documents" /usr/share/doc

# Data that does not compress (textures, already-compressed archives).
mkdir -p "$out/Cinema4D/Resources/data"
python3 - "$out/Cinema4D/Resources/data" "$random" <<'PY'
import random, sys
folder, total = sys.argv[1], int(sys.argv[2])
rng = random.Random(20261211)
n = 0
while total > 0:
    size = min(total, 4 * 1024 * 1024)
    with open(f"{folder}/texture-{n:03}.bin", "wb") as f:
        f.write(rng.randbytes(size))
    total -= size
    n += 1
PY

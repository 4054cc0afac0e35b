# Piece of scripts/bench.sh. wipe: "Wipe Free Space" of a 512 MiB scratch volume against dd
# filling the same volume from /dev/zero in 1 MiB writes flushed to the device (conv=fsync) and
# removing its file again: the same work, since Wine writes through the page cache whatever the
# flags say and the wipe flushes its files before they go. A third line gives dd with direct
# writes (oflag=direct), which no Wine program can match, for comparison.
# The volume is an ext4 image on a loop device, mounted and mapped as drive W: of the
# benchmark's prefix (a link in "dosdevices", and "hd" under HKLM\Software\Wine\Drives so that
# Wine calls it a fixed drive: the wipe refuses any other kind). Mounting needs root; where loop
# devices are unavailable a tmpfs limited to 512 MiB stands in, and the line says so.
dir=$bench_data/wipe
img=$dir/volume.img
mnt=$dir/mnt
mkdir -p "$mnt"
kind=ext4
if ! { truncate -s 512M "$img" && mkfs.ext4 -q -F -E lazy_itable_init=0,lazy_journal_init=0 "$img" &&
  mount -o loop "$img" "$mnt"; } 2>/dev/null; then
  rm -f "$img"
  kind=tmpfs
  mount -t tmpfs -o size=512m tmpfs "$mnt" || { echo "wipe: no scratch volume (mounting needs root)" >&2; exit 1; }
fi
drive=$WINEPREFIX/dosdevices/w:
cleanup_wipe() {
  rm -f "$drive"
  umount "$mnt" 2>/dev/null || true
  rm -f "$img"
}
trap cleanup_wipe EXIT
ln -sfn "$mnt" "$drive"
wine reg add 'HKLM\Software\Wine\Drives' /v 'w:' /d hd /f >/dev/null 2>&1
wineserver -w
wine cmd /c exit >/dev/null 2>&1  # the Wine server is up before either clock starts
# A fresh ext4 sets up its block groups on the first fill: one untimed fill first, so that
# neither side pays for that.
dd if=/dev/zero of="$mnt/fill" bs=1M conv=fsync >/dev/null 2>&1 || true
rm -f "$mnt/fill"

ours=() reference=() direct=()
for _ in $(seq "$runs"); do
  sync
  read -r seconds bytes < <(wine "$build/bin/wipe_bench.exe" 'W:\' 2>&1 | tr -d '\r') || true
  if ! [[ ${bytes:-} =~ ^[0-9]+$ ]]; then
    echo "wipe: wipe_bench failed: ${seconds:-} ${bytes:-}" >&2
    exit 1
  fi
  [ -z "$(ls -A "$mnt" | grep -v '^lost+found$')" ] || echo "wipe: the volume was left with files" >&2
  ours+=("$seconds")
  sync
  reference+=("$(seconds_of sh -c "dd if=/dev/zero of='$mnt/fill' bs=1M conv=fsync; rm -f '$mnt/fill'")")
  sync
  direct+=("$(seconds_of sh -c "dd if=/dev/zero of='$mnt/fill' bs=1M oflag=direct; rm -f '$mnt/fill'")")
done
figures() { printf '%s\n' "$@" | repeated_figures; }
bench_line "wipe ($kind, $((bytes >> 20)) MiB)" "$(figures "${ours[@]}")" "$(figures "${reference[@]}")" 1.3
bench_line "wipe against dd oflag=direct" "$(figures "${ours[@]}")" "$(figures "${direct[@]}")" -

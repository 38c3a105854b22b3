#!/bin/sh
# CPU time of our player against gst-play-1.0 for the same H.264 clips, both
# under the same X server. Run it under Xvfb:
#   xvfb-run -a -s "-screen 0 1920x1200x24" bench/media_cpu.sh BUILD_DIR [seconds]
set -eu
build=${1:?build directory}
seconds=${2:-10}
frames=$((seconds * 25))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpu_of() {  # command... -> user+system seconds of the command and its children
    /usr/bin/time -f "%U %S" -o "$work/time" "$@" >/dev/null 2>&1 || true
    awk '{ printf "%.2f", $1 + $2 }' "$work/time"
}

for size in 1280x720 1920x1080; do
    w=${size%x*}; h=${size#*x}
    clip="$work/clip-$size.mp4"
    gst-launch-1.0 -q videotestsrc num-buffers=$frames pattern=ball \
        ! video/x-raw,width=$w,height=$h,framerate=25/1 ! x264enc speed-preset=veryfast bitrate=6000 \
        ! h264parse ! mp4mux name=m ! filesink location="$clip" \
        audiotestsrc num-buffers=$((seconds * 50)) samplesperbuffer=882 ! audioconvert ! avenc_aac ! m.
    ours=$(cpu_of "$build/bench/bench_media_play" "$clip")
    theirs=$(cpu_of gst-play-1.0 --no-interactive -q "$clip")
    awk -v s="$size" -v o="$ours" -v t="$theirs" -v d="$seconds" 'BEGIN {
        printf "%-10s ours %.3f s CPU per s, gst-play-1.0 %.3f s CPU per s, ratio %.2f\n", s, o / d, t / d, o / t }'
done

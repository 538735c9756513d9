#!/usr/bin/env bash
# Makes the welcome video lrtz.avi: four seconds with the program's title and its motto,
# Motion JPEG in AVI (played by Qt Multimedia's GStreamer backend through avidemux/jpegdec).
set -euo pipefail
out="$1"
kai=/usr/share/fonts/truetype/arphic/ukai.ttc
ming=/usr/share/fonts/truetype/arphic/uming.ttc
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
printf '%s' "朗记通" >"$tmp/title.txt"
printf '%s' "朗读 · 记忆 · 贯通" >"$tmp/motto.txt"
printf '%s' "每天坚持，单词自然记得牢" >"$tmp/line.txt"
filter="[0:v]drawbox=x=0:y=0:w=iw:h=ih:color=0x005f73@1:t=fill,"
filter+="drawbox=x=0:y=ih-36:w=iw:h=36:color=0x0a9396@1:t=fill,"
filter+="drawtext=fontfile=$kai:textfile=$tmp/title.txt:fontsize=84:fontcolor=white:shadowcolor=0x001219:shadowx=3:shadowy=3:x=(w-text_w)/2:y=40+max(0\,30-60*t),"
filter+="drawtext=fontfile=$ming:textfile=$tmp/motto.txt:fontsize=30:fontcolor=0xffd166:x=(w-text_w)/2:y=150:alpha=min(1\,max(0\,(t-0.8)*2)),"
filter+="drawtext=fontfile=$ming:textfile=$tmp/line.txt:fontsize=18:fontcolor=white:x=(w-text_w)/2:y=h-28:alpha=min(1\,max(0\,(t-1.5)*2)),"
filter+="fade=t=in:st=0:d=0.5,fade=t=out:st=3.5:d=0.5[v]"
ffmpeg -hide_banner -loglevel error -y -f lavfi -i "color=c=black:s=440x272:r=25:d=4" \
    -filter_complex "$filter" -map "[v]" -c:v mjpeg -q:v 3 -pix_fmt yuvj420p "$tmp/lrtz.avi"
mv "$tmp/lrtz.avi" "$out/lrtz.avi.tmp"
mv "$out/lrtz.avi.tmp" "$out/lrtz.avi"
echo "video: lrtz.avi written"

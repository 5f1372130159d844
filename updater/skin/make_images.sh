#!/usr/bin/env bash
# Draws the skin's button and progress images and the program icon with
# ImageMagick. The results are kept in the repository; run this again only
# to change the looks. Needs imagemagick and fonts-wqy-microhei.
set -euo pipefail
cd "$(dirname "$0")"

FONT=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
[ -f "$FONT" ] || { echo "missing $FONT (fonts-wqy-microhei)" >&2; exit 1; }

# No time stamps, so an unchanged drawing gives unchanged files.
png() {  # png OUT  ARGS... : draws with ARGS onto a canvas, writes OUT
    local out=$1; shift
    convert "$@" -strip -define png:exclude-chunks=date,time,tIME "PNG32:$out"
}

BLUE='#1694FF'        # hot face, as the title row
DARK_BLUE='#0B6BC4'   # pushed face
LABEL='#333333'
PUSHED_LABEL='#DCEBFA'
BORDER='#C4C4C4'

# labelled WIDTH HEIGHT NAME TEXT POINTSIZE
labelled() {
    local w=$1 h=$2 name=$3 text=$4 size=$5
    local box="roundrectangle 0.5,0.5 $((w - 1)).5,$((h - 1)).5 3,3"
    png "btn_${name}_n.png" -size "${w}x${h}" xc:none -fill white -stroke "$BORDER" -strokewidth 1 -draw "$box" \
        -stroke none -font "$FONT" -pointsize "$size" -fill "$LABEL" -gravity center -annotate +0+0 "$text"
    png "btn_${name}_h.png" -size "${w}x${h}" xc:none -fill "$BLUE" -stroke "$BLUE" -strokewidth 1 -draw "$box" \
        -stroke none -font "$FONT" -pointsize "$size" -fill white -gravity center -annotate +0+0 "$text"
    png "btn_${name}_p.png" -size "${w}x${h}" xc:none -fill "$DARK_BLUE" -stroke "$DARK_BLUE" -strokewidth 1 \
        -draw "$box" -stroke none -font "$FONT" -pointsize "$size" -fill "$PUSHED_LABEL" -gravity center \
        -annotate +0+0 "$text"
}

labelled 71 26 install "立即安装" 13
labelled 71 26 skip "下次再说" 13
labelled 71 26 launch "打开客户端" 12
labelled 71 26 common "" 13
labelled 72 24 cancel "取消" 13
labelled 72 24 confirm "确定" 13

# The close button: a thin cross, grey on transparent, then on light and
# darker blue.
cross() {  # cross OUT BACKGROUND COLOUR
    png "$1" -size 14x14 "xc:$2" -stroke "$3" -strokewidth 1.3 -draw "line 3.5,3.5 10.5,10.5" \
        -draw "line 10.5,3.5 3.5,10.5"
}
cross btn_close_n.png none '#D9D9D9'
cross btn_close_h.png '#5FB4FF' white
cross btn_close_p.png "$DARK_BLUE" white

png progress_bg.png -size 40x2 xc:'#DDDDDD'
png progress_fg.png -size 40x2 "xc:$BLUE"

# Program icon: a white arrow into a tray on the title-row blue, at the
# usual icon sizes.
icon_frames=()
for s in 16 32 48; do
    f=$(mktemp --suffix=.png)
    # The arrow and the tray, drawn on a 48-unit grid and scaled to s.
    scaled() { awk -v u="$s" '{for (i = 1; i <= NF; i += 2) printf "%.2f,%.2f ", $i * u / 48, $(i + 1) * u / 48}'; }
    convert -size "${s}x${s}" xc:none -fill "$BLUE" \
        -draw "roundrectangle 0,0 $((s - 1)),$((s - 1)) $((s / 6)),$((s / 6))" \
        -fill white -stroke none \
        -draw "polygon $(echo 20 9 28 9 28 24 34 24 24 34 14 24 20 24 | scaled)" \
        -draw "rectangle $(echo 12 37 36 40 | scaled)" \
        -strip "PNG32:$f"
    icon_frames+=("$f")
done
convert "${icon_frames[@]}" updater.ico
rm -f "${icon_frames[@]}"

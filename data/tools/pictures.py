"""Draws the program's pictures: the volume knob and track, the choice-test markers, the
microphone, the lookup bullet and the application icon. Names and sizes are what the
windows load."""
import os
import sys

from PIL import Image, ImageDraw, ImageFont

KAI = "/usr/share/fonts/truetype/arphic/ukai.ttc"
FACE = (212, 208, 200)  # the grey of flat buttons, so that the markers blend in


def save(img, out, name, fmt):
    path = os.path.join(out, name)
    tmp = path + ".tmp"
    img.save(tmp, format=fmt)
    os.replace(tmp, path)


def knob():
    # 9 x 9: a raised round knob on the grey face.
    img = Image.new("RGB", (9, 9), FACE)
    d = ImageDraw.Draw(img)
    d.ellipse((0, 0, 8, 8), fill=(30, 70, 160), outline=(10, 30, 90))
    d.ellipse((2, 2, 4, 4), fill=(150, 190, 255))
    return img


def track():
    # 120 x 38: a speaker at the left and a rising wedge over the knob's range (offsets 20-100).
    img = Image.new("RGB", (120, 38), FACE)
    d = ImageDraw.Draw(img)
    d.rectangle((3, 15, 7, 23), fill=(60, 60, 60))
    d.polygon([(7, 15), (13, 9), (13, 29), (7, 23)], fill=(60, 60, 60))
    d.arc((12, 12, 18, 26), -60, 60, fill=(60, 60, 60))
    d.polygon([(22, 24), (108, 24), (108, 6)], fill=(120, 170, 230), outline=(40, 80, 150))
    # The groove the knob slides in.
    d.rectangle((20, 27, 109, 31), fill=(255, 255, 255), outline=(90, 90, 90))
    d.line((20, 27, 109, 27), fill=(60, 60, 60))
    for x in range(24, 109, 10):
        d.line((x, 33, x, 35), fill=(90, 90, 90))
    return img


def marker(kind):
    # 18 x 18 pictures for the 31 x 22 marker buttons of the choice test.
    img = Image.new("RGB", (18, 18), FACE)
    d = ImageDraw.Draw(img)
    if kind == "check":
        d.line([(3, 9), (7, 14), (15, 3)], fill=(0, 150, 0), width=3)
    elif kind == "wrong":
        d.line([(3, 3), (14, 14)], fill=(210, 0, 0), width=3)
        d.line([(14, 3), (3, 14)], fill=(210, 0, 0), width=3)
    else:
        d.ellipse((1, 1, 16, 16), fill=(255, 255, 240), outline=(40, 90, 170))
        d.arc((5, 3, 12, 10), 180, 90, fill=(40, 90, 170), width=2)
        d.line([(8, 10), (8, 11)], fill=(40, 90, 170), width=2)
        d.point([(8, 13), (9, 13), (8, 14), (9, 14)], fill=(40, 90, 170))
    return img


def microphone():
    # 163 x 131: a microphone on a stand with sound waves, shown while the learner records.
    img = Image.new("RGB", (163, 131), (255, 250, 217))
    d = ImageDraw.Draw(img)
    cx = 60
    d.rounded_rectangle((cx - 16, 12, cx + 16, 72), radius=16, fill=(70, 70, 80), outline=(20, 20, 20), width=2)
    for y in range(22, 66, 7):
        d.line((cx - 11, y, cx + 11, y), fill=(130, 130, 140))
    d.arc((cx - 26, 38, cx + 26, 88), 0, 180, fill=(20, 20, 20), width=4)
    d.line((cx, 88, cx, 110), fill=(20, 20, 20), width=4)
    d.rounded_rectangle((cx - 24, 108, cx + 24, 116), radius=3, fill=(20, 20, 20))
    for i, r in enumerate((18, 32, 46)):
        d.arc((cx + 30 - r, 42 - r, cx + 30 + r, 42 + r), -45, 45, fill=(220, 30, 30), width=4 - i)
    d.ellipse((cx + 120, 6, cx + 134, 20), fill=(220, 30, 30))
    return img


def point():
    # 12 x 12 bullet before each word found by the lookup.
    img = Image.new("P", (12, 12), 0)
    img.putpalette([255, 250, 218, 128, 0, 0, 230, 120, 100] + [0] * 759)
    d = ImageDraw.Draw(img)
    d.polygon([(2, 1), (10, 6), (2, 11)], fill=1)
    d.polygon([(3, 4), (7, 6), (3, 8)], fill=2)
    img.info["transparency"] = 0
    return img


def icon():
    size = 256
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.rounded_rectangle((8, 8, size - 8, size - 8), radius=44, fill=(0, 128, 128), outline=(0, 80, 80), width=6)
    font = ImageFont.truetype(KAI, 170)
    box = d.textbbox((0, 0), "朗", font=font)
    w, h = box[2] - box[0], box[3] - box[1]
    d.text(((size - w) / 2 - box[0], (size - h) / 2 - box[1] - 10), "朗", font=font, fill=(255, 255, 255))
    small = ImageFont.truetype(KAI, 34)
    sb = d.textbbox((0, 0), "记通", font=small)
    d.text((size - 30 - sb[2], size - 24 - sb[3]), "记通", font=small, fill=(255, 230, 120))
    return img


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    save(knob(), out, "volumebit.bmp", "BMP")
    save(track(), out, "volumeframen.bmp", "BMP")
    save(marker("check"), out, "check1.BMP", "BMP")
    save(marker("wrong"), out, "wrong1.BMP", "BMP")
    save(marker("help"), out, "help01.bmp", "BMP")
    save(microphone(), out, "microphone.bmp", "BMP")
    save(point(), out, "point.gif", "GIF")
    save(icon(), out, "langjitong.png", "PNG")
    print("pictures: 8 written")


if __name__ == "__main__":
    main()

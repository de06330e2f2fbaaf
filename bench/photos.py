"""Sample photos of five kinds, from scikit-image's data (Debian's
python3-skimage), written as 8-bit grey PNG files for the benchmarks."""
import os

import numpy as np
from PIL import Image
import skimage.data
from skimage.color import rgb2gray

# A portrait, a texture, a smooth picture, text, and the classic test photo.
KINDS = {
    "portrait": skimage.data.astronaut,
    "texture": skimage.data.brick,
    "smooth": skimage.data.moon,
    "text": skimage.data.text,
    "classic": skimage.data.camera,
}


def write_photos(folder):
    """Writes every photo as <folder>/<kind>.png; returns {kind: path}."""
    os.makedirs(folder, exist_ok=True)
    paths = {}
    for kind, load in KINDS.items():
        pixels = load()
        if pixels.ndim == 3:
            pixels = (rgb2gray(pixels) * 255).round().astype(np.uint8)
        path = os.path.join(folder, kind + ".png")
        Image.fromarray(pixels).save(path)
        paths[kind] = path
    return paths

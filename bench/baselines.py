"""What a user would pick instead of a formula, each at a byte budget, on a
grid of grey levels from -1 (black) to 1 (white): a scaled-up 8-bit
thumbnail, a truncated DCT whose bytes are counted honestly, and JPEG and
WebP files made by Pillow. Each returns (bytes, decoded grid) for the best
result within the budget, or None where none fits."""
import io
import math

import numpy as np
from PIL import Image
from scipy.fft import dctn, idctn


def psnr(grid, decoded):
    """10 log10(4 / mse): the grid's range of 2 is the peak."""
    mse = float(np.mean((np.asarray(grid, np.float64) - np.asarray(decoded, np.float64)) ** 2))
    return math.inf if mse == 0 else 10 * math.log10(4 / mse)


def to_bytes(grid):
    """The grid as 8-bit grey levels."""
    return np.clip(np.rint((np.asarray(grid) + 1) * 127.5), 0, 255).astype(np.uint8)


def from_bytes(levels):
    return np.asarray(levels, np.float64) / 127.5 - 1


def _resized(grid, width, height, resample):
    image = Image.fromarray(np.asarray(grid, np.float32), mode="F")
    return np.asarray(image.resize((width, height), resample), np.float64)


def thumbnail(grid, budget):
    """The best w x h thumbnail of at most `budget` one-byte pixels (its size
    taken as known, which flatters it), area-averaged, stored as 8-bit levels
    and scaled up bicubically."""
    n = grid.shape[0]
    best = None
    for h in range(1, n + 1):
        w = min(n, budget // h)
        if w < 1:
            break
        small = from_bytes(to_bytes(_resized(grid, w, h, Image.BOX)))
        decoded = np.clip(_resized(small, n, n, Image.BICUBIC), -1, 1)
        candidate = (w * h, decoded)
        if best is None or psnr(grid, decoded) > psnr(grid, best[1]):
            best = candidate
    return best


def _exp_golomb_bits(value, order=0):
    """Bits of an unsigned exp-Golomb code of the given order."""
    value += 1 << order
    return 2 * value.bit_length() - 1 - order


def _zigzag_order(n):
    return sorted(((r, c) for r in range(n) for c in range(n)),
                  key=lambda rc: (rc[0] + rc[1], rc[0] if (rc[0] + rc[1]) % 2 else rc[1]))


def _dct_bits(levels, order):
    """Bits of the kept coefficients in zigzag order: for each, the run of
    dropped ones before it (exp-Golomb) and its signed level (exp-Golomb of
    the zig-zagged value), then an end mark."""
    bits = 0
    run = 0
    for r, c in order:
        level = int(levels[r, c])
        if level == 0:
            run += 1
            continue
        bits += _exp_golomb_bits(run) + _exp_golomb_bits(2 * abs(level) - (level < 0))
        run = 0
    return bits + _exp_golomb_bits(0)


def truncated_dct(grid, budget):
    """The orthonormal 2-D DCT of the grid, quantised with one step (its
    exponent in a header byte, the grid size in two more): the coefficients
    that round to zero are dropped, the rest coded with their positions. The
    step and, within it, how many of the largest coefficients are kept are
    searched for the best PSNR within the budget."""
    n = grid.shape[0]
    coefficients = dctn(np.asarray(grid, np.float64), norm="ortho")
    order = _zigzag_order(n)
    magnitude_rank = np.argsort(-np.abs(coefficients), axis=None)
    best = None
    for exponent in np.arange(-6, 6.01, 0.25):
        step = 2.0 ** exponent
        levels = np.rint(coefficients / step).astype(np.int64)
        kept = int(np.count_nonzero(levels))
        # Fewer coefficients when all of them do not fit.
        low, high = 0, kept
        while low < high:
            middle = (low + high + 1) // 2
            trial = np.zeros_like(levels).ravel()
            trial[magnitude_rank[:middle]] = levels.ravel()[magnitude_rank[:middle]]
            if 3 + math.ceil(_dct_bits(trial.reshape(n, n), order) / 8) <= budget:
                low = middle
            else:
                high = middle - 1
        trial = np.zeros_like(levels).ravel()
        trial[magnitude_rank[:low]] = levels.ravel()[magnitude_rank[:low]]
        trial = trial.reshape(n, n)
        size = 3 + math.ceil(_dct_bits(trial, order) / 8)
        decoded = idctn(trial * step, norm="ortho")
        if best is None or psnr(grid, decoded) > psnr(grid, best[1]):
            best = (size, decoded)
    return best


def _pillow_file(grid, budget, save):
    """The highest quality from 0 to 100 whose file fits."""
    image = Image.fromarray(to_bytes(grid), mode="L")
    best = None
    for quality in range(0, 101):
        out = io.BytesIO()
        save(image, out, quality)
        size = out.tell()
        if size > budget:
            continue
        decoded = from_bytes(np.asarray(Image.open(io.BytesIO(out.getvalue())).convert("L")))
        if best is None or psnr(grid, decoded) > psnr(grid, best[1]):
            best = (size, decoded)
    return best


def jpeg(grid, budget):
    return _pillow_file(
        grid, budget,
        lambda image, out, q: image.save(out, "JPEG", quality=max(q, 1), optimize=True))


def webp(grid, budget):
    return _pillow_file(
        grid, budget, lambda image, out, q: image.save(out, "WEBP", quality=q, method=6))


BASELINES = {"thumbnail": thumbnail, "dct": truncated_dct, "jpeg": jpeg, "webp": webp}

"""The P-T figure of a result on a matplotlib Axes: the scene the batch's ``--plot`` draws,
made by the compiled part, drawn here in data coordinates."""

import math
import re

import numpy as np

from . import _options, _varno96

# Each calibration's marker, in the order of the table of calibrations, as the batch draws them.
_MARKERS = ["s", "^", "D", "v", "P", "X", "*"]
_MM = 1 / 25.4  # inches

# The figure's options, with their kinds, bounds and choices, as the compiled part describes them.
_FIGURE = _options.Options(_varno96.figure_options())



def _by_role(columns):
    """The name of each column with a role (file, sample, pass, temperature, pressure), by its
    role, as the compiled part's table of columns gives them."""
    return {c["role"]: c["name"] for c in columns if c["role"]}


# The columns a figure finds by what they are for, of a result and of its pairs.
_RESULT = _by_role(_varno96.columns())
_PAIRS = _by_role(_varno96.pair_columns())


def _number(x):
    try:
        x = float(x)
    except (TypeError, ValueError):
        return math.nan
    return x


def _samples(result, pairs):
    keys = [m.group(1) for c in result.columns
            if (m := re.fullmatch(r"T_([A-Z]+[0-9]+)_C", c)) and f"P_{m.group(1)}_kbar" in result]
    runs = 200 if "mc_seed" in result else 0
    clouds = {}
    if pairs is not None:
        where = [_PAIRS["file"], _PAIRS["sample"]]
        for (file, sample), rows in pairs[pairs[_PAIRS["pass"]] == 2].groupby(where, sort=False):
            clouds[(file, sample)] = rows
    t, p = _RESULT["temperature"], _RESULT["pressure"]
    samples = []
    for _, row in result.iterrows():
        at_t, at_p = _number(row[t]), _number(row[p])
        if not (math.isfinite(at_t) and math.isfinite(at_p)):
            continue
        cloud = clouds.get((row.get(_RESULT["file"]), row.get(_RESULT["sample"])))
        pass2 = [] if cloud is None else list(zip(cloud[_PAIRS["temperature"]].astype(float),
                                                  cloud[_PAIRS["pressure"]].astype(float)))
        t_sd = _number(row.get("T2_sd_C"))
        s = {"label": str(row[_RESULT["sample"]]), "t_c": at_t, "p_kbar": at_p, "runs": runs,
             "pass2": pass2, "t_varies": math.isfinite(t_sd) and t_sd > 0, "barometer": None,
             "intersections": []}
        if cloud is not None and len(pass2) > 1:
            s["t_varies"] = bool(np.ptp(cloud[_PAIRS["temperature"]].astype(float)) > 0)
        if keys:
            lo, hi = _number(row["P_minus50_kbar"]), _number(row["P_plus50_kbar"])
            if math.isfinite(lo) and math.isfinite(hi):
                s["barometer"] = ((at_t - 50, lo), (at_t + 50, hi))
        for key in keys:
            xt, xp = _number(row[f"T_{key}_C"]), _number(row[f"P_{key}_kbar"])
            if not (math.isfinite(xt) and math.isfinite(xp)):
                continue
            met = []
            if cloud is not None and f"T_{key}_C" in cloud:
                both = cloud[[f"T_{key}_C", f"P_{key}_kbar"]].astype(float).dropna()
                met = list(zip(both.iloc[:, 0], both.iloc[:, 1]))
            s["intersections"].append({
                "key": key, "t_c": xt, "p_kbar": xp, "runs": met,
                "t_sd": _number(row.get(f"T_{key}_sd_C")),
                "p_sd": _number(row.get(f"P_{key}_sd_kbar")),
                "rho": _number(row.get(f"rho_{key}"))})
        samples.append(s)
    return samples


def _xy(points):
    return [q[0] for q in points], [q[1] for q in points]


def _draw(ax, scene, marks, names, panel=0):
    from matplotlib.colors import LinearSegmentedColormap, to_rgba

    colours = scene["colours"]
    barometer_grey, reaction_grey = scene["grey"]
    slope = {}
    for label, ends in scene["reactions"]:
        # matplotlib's dashes are in line widths
        dash = tuple(mm * _MM * 72 / 0.6 for mm in scene["reaction_dash_mm"])
        ax.plot(*_xy(ends), color=reaction_grey, lw=0.6, ls=(0, dash), zorder=1)
        (t0, p0), (t1, p1) = ends
        slope[label] = math.degrees(math.atan2(p1 - p0, t1 - t0))
    # Each label where the scene's layout puts it, turned with its line.
    for label, (t, p), where in scene["reaction_labels"]:
        if where == panel:
            ax.text(t, p, label, fontsize=6, ha="left", va="center", rotation=slope[label],
                    rotation_mode="anchor", transform_rotates_text=True, zorder=5)
    for m in marks:
        if m["barometer"]:
            ax.plot(*_xy(m["barometer"]), color=barometer_grey, lw=0.4, zorder=1)
    if scene["density"]:
        by_colour = {}
        for m in marks:
            for x in m["intersections"]:
                by_colour.setdefault(x["colour"], []).append(x["at"])
            if m["point"]:
                by_colour.setdefault(None, []).append(m["at"])
        extent = (*scene["t_axis"], *scene["p_axis"])
        for colour, points in by_colour.items():
            rgba = to_rgba("#3C3C3C" if colour is None else colours[colour])
            cmap = LinearSegmentedColormap.from_list("", [(*rgba[:3], 0.15), (*rgba[:3], 0.9)])
            ax.hexbin(*_xy(points), gridsize=40, extent=extent, mincnt=1, cmap=cmap,
                      linewidths=0, zorder=2)
    else:
        for m in marks:
            if m["ellipse"]:
                ax.plot(*_xy(m["ellipse"]), color="black", lw=0.75, zorder=2)
            if m["bar"]:
                t, lo, hi = m["bar"]
                ax.errorbar([t], [(lo + hi) / 2], yerr=[[(hi - lo) / 2]], fmt="none",
                            ecolor="black", elinewidth=0.75, capsize=2, zorder=2)
            for x in m["intersections"]:
                if x["ellipse"]:
                    ax.plot(*_xy(x["ellipse"]), color=colours[x["colour"]], lw=0.75, zorder=3)
    small = not scene["names"]
    for m in marks:
        if m["point"]:
            ax.plot(*m["at"], "o", color="black", ms=2 if small else 3.5, zorder=4)
        for x in m["intersections"]:
            size = (3 if small else 5) * (1.3 if _MARKERS[x["colour"]] == "*" else 1)
            ax.plot(*x["at"], _MARKERS[x["colour"]], color=colours[x["colour"]], ms=size,
                    mec="none", zorder=4)
    if names:
        # Where the batch's layout writes them, by their marks or beside the frame.
        for m in marks:
            if "name_at" not in m:
                continue
            anchor = m["barometer"][1] if m["barometer"] else m["at"]
            leader = {"arrowstyle": "-", "lw": 0.35, "color": "#6E6E6E", "shrinkA": 0,
                      "shrinkB": 0} if m["leader"] else None
            ax.annotate(m["label"], xy=anchor, xytext=m["name_at"], textcoords="axes fraction",
                        fontsize=6, ha="left", va="center", annotation_clip=False,
                        arrowprops=leader, zorder=6)
    from matplotlib.ticker import MultipleLocator
    ax.xaxis.set_major_locator(MultipleLocator(scene["t_step"]))
    ax.yaxis.set_major_locator(MultipleLocator(scene["p_step"]))
    ax.set_xlim(*scene["t_axis"])
    ax.set_ylim(*scene["p_axis"])
    if scene["sample_axis"]:
        ax.set_xticks([])
    ax.tick_params(labelsize=7, width=0.6, direction="in", top=True, right=True)
    for side in ax.spines.values():
        side.set_linewidth(0.6)


def _legend(fig_or_ax, scene, loc):
    from matplotlib.lines import Line2D
    colours = scene["colours"]
    handles = []
    for kind, text, colour in scene["legend"]:
        if kind == "mark":
            h = Line2D([], [], ls="none", marker="o", color="black", ms=3.5)
        elif kind in ("ellipse1", "ellipse2"):
            h = Line2D([], [], ls="none", marker="o", mfc="none", mec="black", ms=7, mew=0.75)
        elif kind in ("bar1", "bar2"):
            h = Line2D([], [], ls="none", marker="|", color="black", ms=7)
        elif kind == "barometer":
            h = Line2D([], [], color=scene["grey"][0], lw=0.6)
        elif kind == "density":
            h = Line2D([], [], ls="none", marker="h", color="#3C3C3C", alpha=0.5, ms=6)
        else:
            h = Line2D([], [], ls="none", marker=_MARKERS[colour], color=colours[colour], ms=5,
                       mec="none")
        handles.append((h, text))
    if handles:
        fig_or_ax.legend(*zip(*handles), fontsize=7, frameon=False, ncol=4, handlelength=1.5,
                         columnspacing=1.0, handletextpad=0.4, **loc)


def plot(result, pairs=None, ax=None, layout="overlay", units="kbar", reactions=True,
         width=85):
    """Draw the P-T figure of a result, as ``varno96-batch --plot`` draws it.

    Parameters
    ----------
    result : pandas.DataFrame
        Rows of ``compute`` (with ``thermometers=`` for the barometer lines and intersections,
        with ``monte_carlo=True`` for their 1σ ellipses, from the table's s.d. and rho).
    pairs : pandas.DataFrame, optional
        The ``pairs`` of the same runs (same seed): the samples' own 1σ ellipses or P bars
        come from them, and the intersections' ellipses from their runs.
    ax : matplotlib.axes.Axes, optional
        Where to draw the overlay (default: a new figure ``width`` mm wide).
    layout : "overlay" or "panels"
        All samples in one Axes, or one small Axes per sample on shared axes.
    units : "kbar" or "GPa"
    reactions : bool
        Quartz = coesite and albite = jadeite + quartz, labelled.
    width : float
        The figure's width in mm when one is made, 60 to 180.

    Returns
    -------
    matplotlib.axes.Axes for the overlay, matplotlib.figure.Figure for panels.
    """
    import matplotlib.pyplot as plt

    # The figure's keywords as given, checked by the table of the figure's options.
    given = locals()
    figure = _FIGURE.checked({k: given[k] for k in _FIGURE.by_python if k in given})
    samples = _samples(result, pairs)
    if not samples:
        raise ValueError("no sample of the result has a temperature and pressure to draw")
    scene = _varno96.figure_scene(samples, figure)
    marks = scene["marks"]
    if scene["panels"]:
        columns = max(scene["columns"], 1)
        rows = -(-len(marks) // columns)
        fig, axes = plt.subplots(rows, columns, sharex=True, sharey=True, squeeze=False,
                                 figsize=(width * _MM, scene["height_mm"] * _MM),
                                 gridspec_kw={"hspace": 0.08, "wspace": 0.08})
        for k, a in enumerate(axes.flat):
            if k >= len(marks):
                a.set_visible(False)
                continue
            _draw(a, scene, [marks[k]], False, panel=k)
            # 1.5 mm in from the corner: below the ticks
            a.annotate(marks[k]["label"], (0, 1), xycoords="axes fraction", xytext=(4.25, -4.25),
                       textcoords="offset points", fontsize=6, ha="left", va="top")
            if k % columns == 0:
                a.set_ylabel(scene["p_label"], fontsize=7.5)
            if k + columns >= len(marks):
                a.set_xlabel(scene["t_label"], fontsize=7.5)
                a.tick_params(labelbottom=True)
        _legend(fig, scene, {"loc": "lower center", "bbox_to_anchor": (0.5, 0.0)})
        height = scene["height_mm"]
        fig.subplots_adjust(bottom=(scene["legend_mm"] + 12) / height, top=1 - 2 / height,
                            left=13 / width, right=1 - 4 / width)
        return fig
    if ax is None:
        _, ax = plt.subplots(figsize=(width * _MM, scene["height_mm"] * _MM),
                             layout="constrained")
    _draw(ax, scene, marks, scene["names"])
    ax.set_xlabel(scene["t_label"], fontsize=7.5)
    ax.set_ylabel(scene["p_label"], fontsize=7.5)
    _legend(ax, scene, {"loc": "upper center", "bbox_to_anchor": (0.5, -0.16)})
    return ax

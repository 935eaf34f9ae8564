"""The P-T figure of a result on a matplotlib Axes: the scene the batch's ``--plot`` draws,
made by the compiled part, drawn here in data coordinates."""

import math

from . import _options, _varno96

# Each calibration's marker, in the order of the table of calibrations, as the batch draws them.
_MARKERS = ["s", "^", "D", "v", "P", "X", "*", "h", "p", (5, 0, 180), (4, 1, 0)]
_MM = 1 / 25.4  # inches

# The figure's options, with their kinds, bounds and choices, as the compiled part describes them.
_FIGURE = _options.Options(_varno96.figure_options())



def _by_role(columns):
    """The name of each column with a role, by its role and its calibration's key ("" for a
    column of none), as the compiled part's table of columns gives them."""
    return {(c["role"], c["key"]): c["name"] for c in columns if c["role"]}


# The columns a figure finds by what they are for, of a result and of its pairs; the analyses'
# labels of combine="each", in both.
_RESULT = _by_role(_varno96.columns())
_PAIRS = _by_role(_varno96.pair_columns())
_LABELS = [c["name"] for c in _varno96.columns() if c["role"] == "label"]
_RUNS = 200  # of a Monte-Carlo pass


def _number(x):
    try:
        x = float(x)
    except (TypeError, ValueError):
        return math.nan
    return x


def _keys(result):
    """The calibrations of a result: those with the columns of their intersection."""
    return [key for (role, key), name in _RESULT.items()
            if role == "temperature" and key and name in result
            and _RESULT[("pressure", key)] in result]


def _samples(result):
    """The samples as the figure takes them, from the table alone: each value as entered, and
    where its Monte-Carlo runs lie (their means, standard deviations and correlation)."""
    def value(row, role, key=""):
        name = _RESULT.get((role, key))
        return _number(row[name]) if name in result.columns else math.nan

    def moments(row, key, n):
        return {"n": n, **{role: value(row, role, key)
                           for role in ("t_mean", "p_mean", "t_sd", "p_sd", "rho")}}

    keys = _keys(result)
    monte_carlo = _RESULT[("seed", "")] in result
    samples = []
    for _, row in result.iterrows():
        at_t, at_p = value(row, "temperature"), value(row, "pressure")
        if not (math.isfinite(at_t) and math.isfinite(at_p)):
            continue
        t_sd = value(row, "t_sd")
        s = {"label": str(row[_RESULT[("sample", "")]]), "t_c": at_t, "p_kbar": at_p,
             "runs": _RUNS if monte_carlo else 0,
             "pass2": moments(row, "", _RUNS) if monte_carlo else None,
             "t_varies": math.isfinite(t_sd) and t_sd > 0, "barometer": None,
             "intersections": [], "ln_a_jd": value(row, "ln_a_jd")}
        if keys:
            lo, hi = value(row, "pressure_minus50"), value(row, "pressure_plus50")
            if math.isfinite(lo) and math.isfinite(hi):
                s["barometer"] = ((at_t - 50, lo), (at_t + 50, hi))
        for key in keys:
            xt, xp = value(row, "temperature", key), value(row, "pressure", key)
            if not (math.isfinite(xt) and math.isfinite(xp)):
                continue
            n = value(row, "runs", key)
            s["intersections"].append({"key": key, "t_c": xt, "p_kbar": xp,
                                       "runs": moments(row, key, int(n) if n == n else 0)})
        samples.append(s)
    return samples


def _check_pairs(result, pairs):
    """Pairs given with a result must be of its runs: the mean of each row's pressures of pass 2
    is its P2_mean_kbar, to the digits of the two tables."""
    p, mean = _PAIRS[("pressure", "")], _RESULT[("p_mean", "")]
    if mean not in result:
        return
    where = [_PAIRS[("file", "")], _PAIRS[("sample", "")]]
    where += [c for c in _LABELS if c in pairs and c in result]
    second = pairs[pairs[_PAIRS[("pass", "")]] == 2].groupby(where, sort=False)[p].mean()
    for _, row in result.iterrows():
        want = _number(row[mean])
        if not math.isfinite(want):
            continue
        at = tuple(row[c] for c in where)
        got = second.get(at if len(at) > 1 else at[0], math.nan)
        if not abs(got - want) <= 0.006:
            raise ValueError(
                f"pairs are not of the runs of result: sample {row[where[1]]!r} has {mean} "
                f"{want:g} but its pairs of pass 2 a mean of {got:.3f}; give the pairs of the same "
                "options and seed, or none (the figure is drawn from the result alone)")


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
    # A panel's own albite = jadeite + quartz, for its sample's a(jd), in shorter dashes.
    for m in marks:
        if m["lowest_pressure"]:
            label, ends = m["lowest_pressure"]
            dash = tuple(mm * _MM * 72 / 0.6 for mm in scene["lowest_pressure_dash_mm"])
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
    # The thin lines from each value as entered to the mean of its runs, beneath the markers.
    for m in marks:
        if m["joined"]:
            ax.plot(*_xy([m["at"], m["mean"]]), color="black", lw=0.4, zorder=3.5)
        for x in m["intersections"]:
            if x["joined"]:
                ax.plot(*_xy([x["at"], x["mean"]]), color=colours[x["colour"]], lw=0.4,
                        zorder=3.5)
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
        elif kind == "lowest_pressure":
            dash = tuple(mm * _MM * 72 / 0.6 for mm in scene["lowest_pressure_dash_mm"])
            h = Line2D([], [], color=scene["grey"][1], lw=0.6, ls=(0, dash))
        elif kind == "centre":
            h = Line2D([], [], color="black", lw=0.4, marker="o", ms=2.5, markevery=[0])
        elif kind == "density":
            h = Line2D([], [], ls="none", marker="h", color="#3C3C3C", alpha=0.5, ms=6)
        else:
            h = Line2D([], [], ls="none", marker=_MARKERS[colour], color=colours[colour], ms=5,
                       mec="none")
        handles.append((h, text))
    if not handles:
        return None
    return fig_or_ax.legend(*zip(*handles), fontsize=7, frameon=False,
                            ncol=_columns([t for _, t in handles], scene["width_mm"]),
                            handlelength=1.5, columnspacing=1.0, handletextpad=0.4, **loc)


def _columns(texts, width_mm):
    """The most columns, up to four, whose entries fit the figure's width: matplotlib fills a
    legend's columns in turn, each as wide as its longest entry (7 pt text, about 1.4 mm a
    character, and 6 mm of symbol and spacing)."""
    for ncol in (4, 3, 2):
        rows = -(-len(texts) // ncol)
        parts = [texts[k:k + rows] for k in range(0, len(texts), rows)]
        if sum(6 + 1.4 * max(map(len, part)) for part in parts) <= width_mm - 4:
            return ncol
    return 1


def plot(result, pairs=None, ax=None, layout="overlay", units="kbar", reactions=True,
         width=85):
    """Draw the P-T figure of a result, as ``varno96-batch --plot`` draws it.

    Parameters
    ----------
    result : pandas.DataFrame
        Rows of ``compute`` (with ``thermometers=`` for the barometer lines and intersections,
        with ``monte_carlo=True`` for the 1σ ellipses or P bars of the runs of pass 2 about
        their mean, from the table's means, s.d. and rho). Each marker is the value of the
        analyses as entered; a thin line joins it to the mean of its runs where they lie apart.
    pairs : pandas.DataFrame, optional
        The ``pairs`` of the same runs, checked to be theirs (a ValueError otherwise); the
        figure is the same with or without them, drawn from the result alone.
    ax : matplotlib.axes.Axes, optional
        Where to draw the overlay (default: a new figure ``width`` mm wide).
    layout : "overlay" or "panels"
        All samples in one Axes, or one small Axes per sample on shared axes.
    units : "kbar" or "GPa"
    reactions : bool
        Quartz = coesite and albite = jadeite + quartz, labelled. Each panel draws its
        sample's albite = jadeite + quartz for its a(jd) (``lna_jd``) in shorter dashes,
        labelled, whatever ``reactions`` says; the overlay none.
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
    if pairs is not None:
        _check_pairs(result, pairs)
    samples = _samples(result)
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
        legend = _legend(fig, scene, {"loc": "lower center", "bbox_to_anchor": (0.5, 0.0)})
        # The legend as matplotlib sets it, in columns, may be taller than the layout's rows.
        legend_mm = scene["legend_mm"]
        if legend is not None:
            box = legend.get_window_extent(fig.canvas.get_renderer())
            legend_mm = max(legend_mm, box.height / fig.dpi / _MM)
        height = scene["height_mm"] + legend_mm - scene["legend_mm"]
        fig.set_size_inches(width * _MM, height * _MM)
        fig.subplots_adjust(bottom=(legend_mm + 12) / height, top=1 - 2 / height,
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

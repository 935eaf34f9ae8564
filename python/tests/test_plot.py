"""varno96.plot: the batch's figure on a matplotlib Axes, its markers where the table puts the
intersections."""

import math
import os

import matplotlib
import pytest

matplotlib.use("Agg")

import varno96  # noqa: E402

SUITE = os.path.join(os.environ.get("VARNO96_EXAMPLES", "examples"), "SUITE.PRN")
RUN = dict(model=7, temperature=650, monte_carlo=True, seed=-42, thermometers="all")


@pytest.fixture(scope="module")
def suite():
    return varno96.compute(SUITE, **RUN), varno96.pairs(SUITE, **RUN)


def markers(ax, colour):
    return sorted(tuple(line.get_xydata()[0]) for line in ax.lines
                  if line.get_marker() not in ("None", "", "o")
                  and matplotlib.colors.to_hex(line.get_color()).upper() == colour)


@pytest.mark.parametrize("units, per_kbar", [("kbar", 1), ("GPa", 10)])
def test_markers_where_the_table_puts_the_intersections(suite, units, per_kbar):
    rows, pairs = suite
    colours = {"EG79": "#0072B2", "KR78": "#968700", "GH82": "#A50F1E"}
    ax = varno96.plot(rows, pairs, units=units)
    assert ax.get_ylabel() == f"P ({units})"
    for key, colour in colours.items():
        drawn = markers(ax, colour)
        table = sorted((t, p / per_kbar) for t, p in zip(rows[f"T_{key}_C"], rows[f"P_{key}_kbar"])
                       if t == t)
        assert len(drawn) == len(table) > 0, key
        flat = [x for point in drawn for x in point]
        assert flat == pytest.approx([x for point in table for x in point], abs=1e-9), key
    texts = [t.get_text() for t in ax.texts]
    assert "Qz = Coe" in texts and "Ab = Jd + Qz" in texts
    assert [t.get_text() for t in ax.get_legend().get_texts()][:3] == [
        "1σ of 200 Monte-Carlo runs, about their mean",
        "Markers: the analyses as entered, joined to that mean", "Barometer P(T)"]
    # The reactions dashed, the barometer lines not.
    assert sum(line.get_linestyle() == "--" for line in ax.lines) == 2
    names = {t.get_text() for t in ax.texts}
    assert set(rows["sample"][rows["P_kbar"].notna()]) <= names
    matplotlib.pyplot.close("all")


def test_panels_reactions_and_refusals(suite):
    rows, _ = suite
    drawn = rows["P_kbar"].notna().sum()
    fig = varno96.plot(rows, layout="panels", reactions=False)
    shown = [a for a in fig.axes if a.get_visible()]
    assert len(shown) == drawn
    assert all(t.get_text() not in ("Qz = Coe", "Ab = Jd + Qz") for a in shown for t in a.texts)
    # With them, each label once, inside the panel the layout chose.
    fig = varno96.plot(rows, layout="panels")
    labels = [t for a in fig.axes for t in a.texts if t.get_text() in ("Qz = Coe", "Ab = Jd + Qz")]
    assert sorted(t.get_text() for t in labels) == ["Ab = Jd + Qz", "Qz = Coe"]
    for t in labels:
        (t0, t1), (p0, p1) = t.axes.get_xlim(), t.axes.get_ylim()
        x, y = t.get_position()
        assert t0 < x < t1 and p0 < y < p1
    # Without pairs the intersections' ellipses come from the table's s.d. and rho.
    ax = varno96.plot(rows)
    assert sum(len(line.get_xydata()) == 121 for line in ax.lines) == 7 * drawn
    # Each keyword checked by the table of the figure's options, in its words.
    for wrong, error, words in [
            ({"layout": "grid"}, ValueError, "layout must be 'overlay' or 'panels', got 'grid'"),
            ({"units": "MPa"}, ValueError, "units must be 'kbar' or 'GPa', got 'MPa'"),
            ({"width": 300}, ValueError, "width must be a finite number from 60 to 180, got 300"),
            ({"reactions": "none"}, TypeError, "reactions must be True or False, got 'none'")]:
        with pytest.raises(error) as raised:
            varno96.plot(rows, **wrong)
        assert str(raised.value) == words
    assert {o["python"] for o in varno96._varno96.figure_options()} >= {
        "layout", "units", "width", "reactions"}
    with pytest.raises(ValueError, match="no sample"):
        varno96.plot(rows[rows["P_kbar"].isna()])
    matplotlib.pyplot.close("all")


def test_the_same_figure_with_or_without_pairs_its_ellipses_about_the_tables_means(suite):
    """The figure is the table's: with the pairs of its runs or without, the same lines; each
    ellipse about the mean the table gives, each marker joined to it where they lie apart."""
    rows, pairs = suite

    def drawn(fig_or_ax):
        axes = fig_or_ax.axes if isinstance(fig_or_ax, matplotlib.figure.Figure) else [fig_or_ax]
        return [[(matplotlib.colors.to_hex(line.get_color()), line.get_xydata().tolist())
                 for line in a.lines] for a in axes]

    for layout in ("overlay", "panels"):
        assert drawn(varno96.plot(rows, pairs, layout=layout)) == drawn(
            varno96.plot(rows, layout=layout)), layout
    ax = varno96.plot(rows)
    for key, colour in (("EG79", "#0072B2"), ("KR78", "#968700")):
        lines = [line.get_xydata() for line in ax.lines
                 if matplotlib.colors.to_hex(line.get_color()).upper() == colour]
        means = sorted(zip(*(rows[f"{c}_{key}_mean_{u}"].dropna() for c, u in (("T", "C"),
                                                                              ("P", "kbar")))))
        centres = sorted(tuple(e[:-1].mean(axis=0)) for e in lines if len(e) == 121)
        assert [x for c in centres for x in c] == pytest.approx(
            [x for m in means for x in m], abs=1e-6), key
        values = set(zip(rows[f"T_{key}_C"], rows[f"P_{key}_kbar"]))
        joins = [tuple(map(tuple, e)) for e in lines if len(e) == 2]
        assert all(a in values and b in set(means) for a, b in joins), key
        assert (len(joins) > 0) == (key == "EG79"), key  # the garnet-phengite runs stay put
    other = varno96.pairs(SUITE, **(RUN | {"seed": -43}))
    with pytest.raises(ValueError, match="^pairs are not of the runs of result: sample 'EC1'"):
        varno96.plot(rows, other)
    matplotlib.pyplot.close("all")


def test_each_panel_draws_its_samples_albite_jadeite_quartz(suite):
    """Each panel's own dashed line is albite = jadeite + quartz for its row's lna_jd: through
    the row's P_min_jd_kbar at its T_C, and at its ends the equation (Holland 1980, P in bar =
    350 + 26.5 T(°C) − R T(K) ln(1/a_jd) / 1.734); labelled once in the panel with that a(jd),
    said in the legend, drawn without the reference reactions too; none in the overlay."""
    rows, _ = suite
    shown = rows[rows["P_kbar"].notna()]
    for units, per_kbar in (("kbar", 1), ("GPa", 10)):
        fig = varno96.plot(rows, layout="panels", reactions=False, units=units)
        axes = [a for a in fig.axes if a.get_visible()]
        assert len(axes) == len(shown)
        for a, (_, row) in zip(axes, shown.iterrows()):
            [line] = [x for x in a.lines if x.get_linestyle() == "--"]
            (t0, p0), (t1, p1) = line.get_xydata() * (1, per_kbar)
            at = p0 + (p1 - p0) * (row["T_C"] - t0) / (t1 - t0)
            assert at == pytest.approx(row["P_min_jd_kbar"], abs=0.006), row["sample"]
            for t, p in ((t0, p0), (t1, p1)):
                want = (350 + 26.5 * t + 8.3143 * (t + 273.15) * row["lna_jd"] / 1.734) / 1000
                assert p == pytest.approx(want, abs=1e-6), row["sample"]
            label = f"a(jd) {math.exp(row['lna_jd']):.2f}"
            assert [t.get_text() for t in a.texts].count(label) == 1, row["sample"]
        assert "Ab = Jd + Qz at its a(jd): lowest P" in [
            t.get_text() for t in fig.legends[0].get_texts()]
    panels = [a for a in varno96.plot(rows, layout="panels").axes if a.get_visible()]
    dashed = [sum(x.get_linestyle() == "--" for x in a.lines) for a in panels]
    assert min(dashed) >= 1 and sum(dashed) > len(panels)
    overlay = varno96.plot(rows)
    assert not any(t.get_text().startswith("a(jd)") for t in overlay.texts)
    matplotlib.pyplot.close("all")

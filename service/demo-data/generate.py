#!/usr/bin/env python3
"""Writes the service's demo data set: a made-up forecast in JMA's JSON format, with made-up
warnings and advisories in JMA's current (r8) warning format.

The forecasts, texts and temperatures are invented for the demo; only the area
codes and names (facts) follow JMA's hierarchy, taken from area.json when a JMA
folder is given. Run from anywhere:

  service/demo-data/generate.py [JMA_FOLDER]
"""

import json
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
JMA = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "..", "..", "shared", "fixtures", "jma")

OFFICES = ["011000", "016000", "130000"]
DAY0, DAY1, DAY2 = "2026-01-05", "2026-01-06", "2026-01-07"
REPORT = DAY0 + "T11:00:00+09:00"


def t(day, hour):
    return "%sT%02d:00:00+09:00" % (day, hour)


def area_subset():
    with open(os.path.join(JMA, "area.json"), encoding="utf-8") as f:
        full = json.load(f)
    out = {"centers": {}, "offices": {}, "class10s": {}, "class15s": {}, "class20s": {}}
    for office in OFFICES:
        o = full["offices"][office]
        out["offices"][office] = o
        center = out["centers"].setdefault(o["parent"], dict(full["centers"][o["parent"]], children=[]))
        center["children"].append(office)
        for c10 in o["children"]:
            out["class10s"][c10] = full["class10s"][c10]
            for c15 in full["class10s"][c10]["children"]:
                out["class15s"][c15] = full["class15s"][c15]
                for c20 in full["class15s"][c15]["children"]:
                    out["class20s"][c20] = full["class20s"][c20]
    for level in out:
        out[level] = dict(sorted(out[level].items()))
    return out


# Invented weather per class10: codes and texts for D0..D2, and the main station's temperatures.
DEMO = {
    "011000": dict(office="稚内地方気象台", station=("11016", "稚内"), codes=["402", "400", "204"],
                   texts=["雪　時々　くもり", "雪", "くもり　一時　雪"], temps=("-2", "-6", "-1"),
                   week=dict(area="011000", codes=["400", "204", "200", "402", "400", "201", "200"],
                             mins=["", "-6", "-5", "-8", "-7", "-6", "-5"], maxs=["", "-1", "0", "-3", "-2", "0", "1"])),
    "016000": dict(office="札幌管区気象台", stations={"016010": ("14163", "札幌"), "016020": ("15356", "岩見沢"),
                                                   "016030": ("16217", "倶知安")},
                   codes={"016010": ["201", "215", "400"], "016020": ["204", "400", "400"],
                          "016030": ["400", "406", "400"]},
                   texts={"016010": ["くもり　時々　晴れ", "くもり　後　雪", "雪"],
                          "016020": ["くもり　一時　雪", "雪", "雪"],
                          "016030": ["雪", "風雪強い", "雪"]},
                   temps={"14163": ("1", "-4", "-1"), "15356": ("-1", "-8", "-2"), "16217": ("-2", "-7", "-3")},
                   week=dict(area="016000", codes=["215", "400", "402", "204", "201", "200", "402"],
                             station="14163", mins=["", "-4", "-6", "-7", "-5", "-4", "-6"],
                             maxs=["", "-1", "-2", "-3", "0", "1", "-1"])),
    "130000": dict(office="気象庁", stations={"130010": ("44132", "東京"), "130020": ("44172", "大島"),
                                            "130030": ("44263", "八丈島"), "130040": ("44301", "父島")},
                   codes={"130010": ["101", "110", "212"], "130020": ["201", "200", "202"],
                          "130030": ["202", "300", "313"], "130040": ["100", "101", "101"]},
                   texts={"130010": ["晴れ　時々　くもり", "晴れ　夕方　から　くもり", "くもり　後　雨"],
                          "130020": ["くもり　時々　晴れ", "くもり", "くもり　一時　雨"],
                          "130030": ["くもり　一時　雨", "雨", "雨　後　くもり"],
                          "130040": ["晴れ", "晴れ　時々　くもり", "晴れ　時々　くもり"]},
                   temps={"44132": ("12", "3", "10"), "44172": ("13", "7", "12"), "44263": ("16", "11", "15"),
                          "44301": ("22", "18", "23")},
                   week=dict(areas={"130010": ["101", "110", "212", "300", "201", "100", "101"],
                                    "130020": ["201", "200", "202", "300", "201", "101", "201"],
                                    "130030": ["202", "300", "313", "300", "202", "201", "202"],
                                    "130040": ["100", "101", "101", "102", "101", "100", "101"]},
                             stations={"44132": (["", "3", "4", "6", "2", "1", "2"], ["", "10", "9", "11", "12", "10", "11"])})),
}

OVERVIEWS = {
    "011000": ("", "　（デモ用の架空の天気概況です）\n\n　宗谷地方は、冬型の気圧配置で雪の降っている所があります。\n\n　６日にかけて雪が続くでしょう。"),
    "016000": ("石狩・空知・後志地方では、６日は大雪や吹雪に注意してください。",
               "　（デモ用の架空の天気概況です）\n\n　石狩・空知・後志地方は、曇りや雪となっています。\n\n　６日は、強い冬型の気圧配置となるため、雪で、後志地方では風雪が強まる見込みです。"),
    "130000": ("", "　（デモ用の架空の天気概況です）\n\n　東京地方は、晴れ時々曇りとなっています。\n\n　６日は、高気圧に覆われて晴れますが、夕方から曇りとなるでしょう。\n\n　７日は、気圧の谷の影響で曇り後雨の見込みです。"),
}


# Invented warnings and advisories per class10: (code, status); every class20 of the area has the same.
WARNINGS = {
    "011000": dict(headline="宗谷地方では、６日にかけて大雪に注意してください。",
                   areas={"011000": [("12", "継続")]}),
    "016000": dict(headline="後志地方では、６日は暴風雪や大雪に警戒してください。",
                   areas={"016010": [("12", "継続"), ("13", "発表")],
                          "016020": [("06", "発表"), ("13", "発表")],
                          "016030": [("02", "発表"), ("06", "継続")]}),
    "130000": dict(headline="東京地方では、空気の乾燥した状態が続くため、火の取り扱いに注意してください。",
                   areas={"130010": [("21", "継続")], "130020": [("15", "発表"), ("16", "発表")],
                          "130030": [("15", "発表"), ("16", "発表")], "130040": []}),
}


def warnings(office, area):
    """One report in the r8 format: class10 items and class20 items with the same kinds."""
    def kinds(entries):
        return [{"code": code, "status": status} for code, status in entries] or [{"status": "発表警報・注意報はなし"}]

    w = WARNINGS[office]
    class10_items, class20_items = [], []
    for c10, entries in w["areas"].items():
        class10_items.append({"areaCode": c10, "kinds": kinds(entries)})
        for c15 in area["class10s"][c10]["children"]:
            for c20 in area["class15s"][c15]["children"]:
                class20_items.append({"areaCode": c20, "kinds": kinds(entries)})
    return [{"reportDatetime": DAY0 + "T10:30:00+09:00", "infoType": "発表", "publishingOffice": DEMO[office]["office"],
             "headlineText": "（デモ用の架空の情報です）" + w["headline"],
             "warning": {"class10Items": class10_items, "class20Items": class20_items}}]


def forecast(office, area):
    d = DEMO[office]
    c10s = area["offices"][office]["children"]
    stations = d.get("stations") or {c10s[0]: d["station"]}
    codes = d["codes"] if isinstance(d["codes"], dict) else {c10s[0]: d["codes"]}
    texts = d["texts"] if isinstance(d["texts"], dict) else {c10s[0]: d["texts"]}
    temps = d["temps"] if isinstance(d["temps"], dict) else {d["station"][0]: d["temps"]}
    weather = {"timeDefines": [REPORT, t(DAY1, 0), t(DAY2, 0)],
               "areas": [{"area": {"name": area["class10s"][c]["name"], "code": c},
                          "weatherCodes": codes[c], "weathers": texts[c],
                          "winds": ["北の風", "北の風　やや強く", "北西の風"]} for c in c10s]}
    pops = {"timeDefines": [t(DAY0, 12), t(DAY0, 18), t(DAY1, 0), t(DAY1, 6), t(DAY1, 12), t(DAY1, 18)],
            "areas": [{"area": {"name": area["class10s"][c]["name"], "code": c},
                       "pops": ["10", "20", "20", "30", "40", "50"]} for c in c10s]}
    # 11:00 order: D0 09:00 (maximum), D0 00:00 (not a real minimum), D1 00:00, D1 09:00.
    ts_temps = {"timeDefines": [t(DAY0, 9), t(DAY0, 0), t(DAY1, 0), t(DAY1, 9)],
                "areas": []}
    for c in c10s:
        code, name = stations[c]
        mx0, mn1, mx1 = temps[code]
        ts_temps["areas"].append({"area": {"name": name, "code": code}, "temps": [mx0, mx0, mn1, mx1]})
    week_times = [t("2026-01-%02d" % day, 0) for day in range(6, 13)]
    w = d["week"]
    week_areas = w.get("areas") or {w["area"]: w["codes"]}
    week_stations = w.get("stations") or {w.get("station", stations[c10s[0]][0]): (w["mins"], w["maxs"])}
    weekly = [{"timeDefines": week_times,
               "areas": [{"area": {"name": area["class10s"].get(a, area["offices"].get(a, {})).get("name", a), "code": a},
                          "weatherCodes": cs, "pops": ["", "30", "40", "50", "30", "20", "30"],
                          "reliabilities": ["", "", "A", "B", "B", "C", "B"]} for a, cs in week_areas.items()]},
              {"timeDefines": week_times,
               "areas": [{"area": {"name": dict(stations.values()).get(s, s), "code": s},
                          "tempsMin": mins, "tempsMinUpper": mins, "tempsMinLower": mins,
                          "tempsMax": maxs, "tempsMaxUpper": maxs, "tempsMaxLower": maxs}
                         for s, (mins, maxs) in week_stations.items()]}]
    return [{"publishingOffice": d["office"], "reportDatetime": REPORT, "timeSeries": [weather, pops, ts_temps]},
            {"publishingOffice": d["office"], "reportDatetime": REPORT, "timeSeries": weekly}]


def write(relative, data):
    path = os.path.join(HERE, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        json.dump(data, f, ensure_ascii=False, indent=1)
        f.write("\n")
    print("wrote", relative)


def main():
    area = area_subset()
    write("area.json", area)
    for office in OFFICES:
        write("forecast/%s.json" % office, forecast(office, area))
        head, text = OVERVIEWS[office]
        write("warning-r8/%s.json" % office, warnings(office, area))
        write("overview_forecast/%s.json" % office,
              {"publishingOffice": DEMO[office]["office"], "reportDatetime": DAY0 + "T10:38:00+09:00",
               "targetArea": area["offices"][office]["name"], "headlineText": head, "text": text})


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Generates the string tables of every build from resources/strings/*.json.

One JSON file per language is the only source of the product texts. This writes
  string_languages.h   the languages present (both builds)
  support_site.h       the support site addresses (both builds)
  string_table.rc      the Windows string-table resource
  string_table_data.cpp the Linux table and its locale map
"""
import argparse
import json
import pathlib
import re
import sys

TOKEN = re.compile(r"\{([A-Z_]+)\}")


def load(source: pathlib.Path):
    support = json.loads((source / "support.json").read_text(encoding="utf-8"))
    languages = []
    for path in sorted(source.glob("*.json")):
        if path.name == "support.json":
            continue
        data = json.loads(path.read_text(encoding="utf-8"))
        texts = {}
        for key, text in data["texts"].items():
            def substitute(match):
                name = match.group(1)
                if name not in support:
                    sys.exit(f"{path.name}: text {key} names unknown token {{{name}}}")
                return support[name]
            texts[int(key)] = TOKEN.sub(substitute, text)
        languages.append({"id": int(data["language"]), "name": data["name"],
                          "locales": data.get("locales", []), "texts": texts, "file": path.name})
    languages.sort(key=lambda lang: lang["id"])
    return support, languages


def c_string(text: str) -> str:
    out = []
    for ch in text.encode("utf-8"):
        if ch in (0x22, 0x5C):
            out.append("\\" + chr(ch))
        elif 0x20 <= ch < 0x7F:
            out.append(chr(ch))
        else:
            out.append(f"\\{ch:03o}")
    return '"' + "".join(out) + '"'


def rc_string(text: str) -> str:
    return '"' + text.replace("\\", "\\\\").replace('"', '""') + '"'


def write_if_changed(path: pathlib.Path, content: str):
    if not path.exists() or path.read_text(encoding="utf-8") != content:
        path.write_text(content, encoding="utf-8")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True, type=pathlib.Path)
    parser.add_argument("--out", required=True, type=pathlib.Path)
    args = parser.parse_args()
    support, languages = load(args.source)
    args.out.mkdir(parents=True, exist_ok=True)
    header = "// Generated from resources/strings by scripts/gen/string_table.py. Do not edit.\n"

    ids = ", ".join(str(lang["id"]) for lang in languages)
    write_if_changed(args.out / "string_languages.h", header + f"""#pragma once

#include <cstdint>

namespace zeltor {{

inline constexpr std::uint16_t kStringTableLanguages[] = {{{ids}}};

}}  // namespace zeltor
""")

    sites = "".join(f"inline constexpr const char* k{''.join(w.capitalize() for w in k.split('_'))} = "
                    f"{c_string(v)};\n" for k, v in sorted(support.items()))
    write_if_changed(args.out / "support_site.h", header + f"""#pragma once

namespace zeltor {{

{sites}
}}  // namespace zeltor
""")

    rc = [header.replace("//", "//", 1), "#pragma code_page(65001)\n"]
    for lang in languages:
        rc.append(f"\nLANGUAGE 0x{lang['id'] & 0x3FF:02X}, 0x{lang['id'] >> 10:02X}\n"
                  "STRINGTABLE\nBEGIN\n")
        for key in sorted(lang["texts"]):
            rc.append(f"    {key}, {rc_string(lang['texts'][key])}\n")
        rc.append("END\n")
    write_if_changed(args.out / "string_table.rc", "".join(rc))

    entries = []
    for lang in languages:
        for key in sorted(lang["texts"]):
            entries.append(f"    {{{lang['id']}, {key}, {c_string(lang['texts'][key])}}},\n")
    locales = []
    for lang in languages:
        for locale in lang["locales"]:
            locales.append(f"    {{{c_string(locale)}, {lang['id']}}},\n")
    write_if_changed(args.out / "string_table_data.cpp", header + f"""#include "platform/linux/string_table_data_linux.h"

namespace zeltor {{

const StringTableEntry kStringTableEntries[] = {{
{''.join(entries)}}};
const std::size_t kStringTableEntryCount = sizeof kStringTableEntries / sizeof kStringTableEntries[0];

const LocaleLanguage kLocaleLanguages[] = {{
{''.join(locales)}}};
const std::size_t kLocaleLanguageCount = sizeof kLocaleLanguages / sizeof kLocaleLanguages[0];

}}  // namespace zeltor
""")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Writes the document templates of sourses/reports: karta1.xlsx (the ambulatory card), karta.xlsx
(the older card), vipiska.docx (the discharge summary) and itogi.xlsx (the treatment outcomes).

    python3 tools/templates/make_templates.py [OUTPUT_FOLDER]

The folder defaults to resources/sourses/reports. Only the standard library is used, and the files
come out byte for byte the same on every run, so a change shows in the repository only when the
forms change. The program writes into fixed cells; the places are noted beside each sheet below.
"""

import os
import sys
import zipfile
from xml.sax.saxutils import escape

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
SOURSES = os.path.join(ROOT, "resources", "sourses")
STAMP = (2025, 1, 1, 0, 0, 0)

NS_MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
NS_REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
NS_PKG_REL = "http://schemas.openxmlformats.org/package/2006/relationships"
NS_W = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"
REL_DOC = NS_REL + "/officeDocument"
XML_HEAD = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'


def letterhead_lines():
    with open(os.path.join(SOURSES, "docs_had.txt"), encoding="utf-8-sig") as f:
        return [line.rstrip() for line in f if line.strip()]


def write_package(path, parts):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, text in parts:
            info = zipfile.ZipInfo(name, STAMP)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            z.writestr(info, text.encode("utf-8"))


def core_props(title):
    return (XML_HEAD +
            '<cp:coreProperties xmlns:cp="http://schemas.openxmlformats.org/package/2006/metadata/core-properties" '
            'xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:dcterms="http://purl.org/dc/terms/" '
            'xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">'
            f'<dc:title>{escape(title)}</dc:title><dc:creator>Пелорин</dc:creator><dc:language>ru-RU</dc:language>'
            '<dcterms:created xsi:type="dcterms:W3CDTF">2025-01-01T00:00:00Z</dcterms:created>'
            '</cp:coreProperties>')


def app_props():
    return (XML_HEAD +
            '<Properties xmlns="http://schemas.openxmlformats.org/officeDocument/2006/extended-properties">'
            '<Application>Пелорин</Application></Properties>')


def package_rels(main_part):
    return (XML_HEAD + f'<Relationships xmlns="{NS_PKG_REL}">'
            f'<Relationship Id="rId1" Type="{REL_DOC}" Target="{main_part}"/>'
            f'<Relationship Id="rId2" Type="{NS_PKG_REL}/metadata/core-properties" Target="docProps/core.xml"/>'
            f'<Relationship Id="rId3" Type="{NS_REL}/extended-properties" Target="docProps/app.xml"/>'
            '</Relationships>')


# ---------------------------------------------------------------------------------------------
# Spreadsheets

# Cell formats (the index is the s attribute of a cell). Times New Roman is what a Russian clinic's
# forms are printed in; office suites elsewhere substitute a font of the same widths.
FONTS = [
    ("Times New Roman", 10, ""),      # 0 ordinary text
    ("Times New Roman", 13, "b"),     # 1 sheet titles
    ("Times New Roman", 10, "b"),     # 2 labels, table captions
    ("Times New Roman", 11, ""),      # 3 filled values of the title page
    ("Times New Roman", 9, ""),       # 4 letterhead
    ("Times New Roman", 7, "i"),      # 5 hints under a line
    ("Times New Roman", 14, "b"),     # 6 card number
    ("Times New Roman", 9, "b"),      # 7 table captions of the procedure sheet
    ("Times New Roman", 12, "b"),     # 8 the title beside the card number
]
BORDERS = [
    "",                                        # 0 none
    "bottom",                                  # 1 a line to write on
    "left right top bottom",                   # 2 table cell
]
# name: (font, border, fill, numFmt, horizontal, vertical, wrap)
FORMATS = [
    ("default", 0, 0, 0, 0, None, None, False),
    ("title", 1, 0, 0, 0, "center", "center", True),
    ("title_right", 8, 0, 0, 0, "right", "center", False),
    ("label", 2, 0, 0, 0, "left", "bottom", False),
    ("value", 3, 1, 0, 0, "left", "bottom", False),
    ("value_wrap", 3, 1, 0, 0, "left", "top", True),
    ("letterhead", 4, 0, 0, 0, "center", "center", True),
    ("hint", 5, 0, 0, 0, "center", "top", False),
    ("number", 6, 1, 0, 0, "center", "bottom", False),
    ("caption", 2, 2, 1, 0, "center", "center", True),
    ("cell_text", 0, 2, 0, 0, "left", "top", True),
    ("cell_center", 0, 2, 0, 0, "center", "top", True),
    ("cell_dose", 0, 2, 0, 2, "center", "top", False),
    ("caption_small", 7, 2, 1, 0, "center", "center", True),
    ("label_right", 2, 0, 0, 0, "right", "bottom", False),
    ("label_top", 2, 0, 0, 0, "left", "top", False),
    ("value_box", 3, 2, 0, 0, "left", "top", True),
]
S = {f[0]: i for i, f in enumerate(FORMATS)}

# The outcome tables hold numbers a spreadsheet should sort and sum: dates as dates, doses with two
# decimals, percentages with one (number format 164, the only one not built in).
OUTCOME_FORMATS = [
    ("default", 0, 0, 0, 0, None, None, False),
    ("title", 1, 0, 0, 0, "left", "center", False),
    ("caption", 2, 2, 1, 0, "center", "center", True),
    ("cell_text", 0, 2, 0, 0, "left", "top", False),
    ("cell_center", 0, 2, 0, 0, "center", "top", False),
    ("cell_number", 0, 2, 0, 0, "right", "top", False),
    ("cell_date", 0, 2, 0, 14, "center", "top", False),
    ("cell_dose", 0, 2, 0, 2, "right", "top", False),
    ("cell_percent", 0, 2, 0, 164, "right", "top", False),
]
CUSTOM_NUMBER_FORMATS = {164: "0.0"}


def styles_xml(formats=None):
    formats = formats or FORMATS
    fonts = "".join(
        "<font>" + ("<b/>" if "b" in style else "") + ("<i/>" if "i" in style else "") +
        f'<sz val="{size}"/><name val="{name}"/><family val="1"/><charset val="204"/></font>'
        for name, size, style in FONTS)
    borders = ""
    for sides in BORDERS:
        borders += "<border>"
        for side in ("left", "right", "top", "bottom"):
            if side in sides.split():
                borders += f'<{side} style="thin"><color auto="1"/></{side}>'
            else:
                borders += f"<{side}/>"
        borders += "<diagonal/></border>"
    xfs = ""
    for _, font, border, fill, numfmt, horizontal, vertical, wrap in formats:
        attrs = f'numFmtId="{numfmt}" fontId="{font}" fillId="{fill}" borderId="{border}" xfId="0"'
        attrs += ' applyFont="1"' if font else ""
        attrs += ' applyBorder="1"' if border else ""
        attrs += ' applyFill="1"' if fill else ""
        attrs += ' applyNumberFormat="1"' if numfmt else ""
        if horizontal or vertical or wrap:
            align = ""
            align += f' horizontal="{horizontal}"' if horizontal else ""
            align += f' vertical="{vertical}"' if vertical else ""
            align += ' wrapText="1"' if wrap else ""
            xfs += f'<xf {attrs} applyAlignment="1"><alignment{align}/></xf>'
        else:
            xfs += f"<xf {attrs}/>"
    custom = sorted({f[4] for f in formats if f[4] in CUSTOM_NUMBER_FORMATS})
    numfmts = ""
    if custom:
        numfmts = f'<numFmts count="{len(custom)}">' + "".join(
            f'<numFmt numFmtId="{i}" formatCode="{escape(CUSTOM_NUMBER_FORMATS[i])}"/>' for i in custom) + "</numFmts>"
    return (XML_HEAD + f'<styleSheet xmlns="{NS_MAIN}">' + numfmts +
            f'<fonts count="{len(FONTS)}">{fonts}</fonts>'
            '<fills count="3"><fill><patternFill patternType="none"/></fill>'
            '<fill><patternFill patternType="gray125"/></fill>'
            '<fill><patternFill patternType="solid"><fgColor rgb="FFEDEDED"/><bgColor indexed="64"/></patternFill>'
            '</fill></fills>'
            f'<borders count="{len(BORDERS)}">{borders}</borders>'
            '<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>'
            f'<cellXfs count="{len(formats)}">{xfs}</cellXfs>'
            '<cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles>'
            '</styleSheet>')


def column_letter(column):
    name = ""
    while column:
        column, rest = divmod(column - 1, 26)
        name = chr(65 + rest) + name
    return name


class Sheet:
    """One worksheet of a template: fixed texts, formats, merged areas, row heights, page setup."""

    def __init__(self, name, widths, column_formats=None, formats=None):
        self.styles = {f[0]: i for i, f in enumerate(formats or FORMATS)}
        self.name = name
        self.widths = widths
        self.column_formats = column_formats or {}
        self.cells = {}
        self.heights = {}
        self.merges = []
        self.print_titles = None
        self.print_area = None
        self.footer = "&C&8Лист &P из &N"

    def put(self, row, column, text, fmt="default", to_column=None, to_row=None):
        self.cells[(row, column)] = (text, self.styles[fmt])
        last_row, last_column = to_row or row, to_column or column
        if (last_row, last_column) != (row, column):
            for r in range(row, last_row + 1):
                for c in range(column, last_column + 1):
                    if (r, c) != (row, column):
                        self.cells[(r, c)] = (None, self.styles[fmt])
            self.merges.append(f"{column_letter(column)}{row}:{column_letter(last_column)}{last_row}")

    def xml(self, strings):
        cols = "".join(
            f'<col min="{i}" max="{i}" width="{w}" customWidth="1"' +
            (f' style="{self.styles[self.column_formats[i]]}"' if i in self.column_formats else "") + "/>"
            for i, w in enumerate(self.widths, start=1))
        rows = ""
        for row in sorted({r for r, _ in self.cells} | set(self.heights)):
            attrs = f'r="{row}"'
            if row in self.heights:
                attrs += f' ht="{self.heights[row]}" customHeight="1"'
            cells = ""
            for (r, c), (text, fmt) in sorted(self.cells.items()):
                if r != row:
                    continue
                ref = f"{column_letter(c)}{r}"
                if text is None or text == "":
                    cells += f'<c r="{ref}" s="{fmt}"/>'
                else:
                    if text not in strings:
                        strings.append(text)
                    cells += f'<c r="{ref}" s="{fmt}" t="s"><v>{strings.index(text)}</v></c>'
            rows += f"<row {attrs}>{cells}</row>"
        last_row = max([r for r, _ in self.cells] or [1])
        merges = ""
        if self.merges:
            merges = f'<mergeCells count="{len(self.merges)}">' + "".join(
                f'<mergeCell ref="{m}"/>' for m in self.merges) + "</mergeCells>"
        return (XML_HEAD + f'<worksheet xmlns="{NS_MAIN}" xmlns:r="{NS_REL}">'
                '<sheetPr><pageSetUpPr fitToPage="1"/></sheetPr>'
                f'<dimension ref="A1:{column_letter(len(self.widths))}{last_row}"/>'
                '<sheetViews><sheetView workbookViewId="0" zoomScale="100"/></sheetViews>'
                '<sheetFormatPr defaultRowHeight="13.2"/>'
                f"<cols>{cols}</cols><sheetData>{rows}</sheetData>{merges}"
                '<printOptions horizontalCentered="1"/>'
                '<pageMargins left="0.79" right="0.39" top="0.71" bottom="0.71" header="0.31" footer="0.31"/>'
                '<pageSetup paperSize="9" orientation="portrait" fitToWidth="1" fitToHeight="0"/>'
                f"<headerFooter><oddFooter>{escape(self.footer)}</oddFooter></headerFooter>"
                "</worksheet>")


def title_sheet():
    # Cells the program fills: B1 letterhead; K3 card number; E5 full name; D7 sex; D9 date of birth;
    # I8, I9, I10 mobile, home and work telephones; D12 address; E14 occupation; F17 date of the
    # first diagnosis; C19 that diagnosis.
    s = Sheet("Титульный лист", [2.5, 9, 8, 8, 8, 8, 8, 8, 8, 8, 9, 7])
    s.heights[1] = 72
    s.put(1, 2, "\n".join(letterhead_lines()), "letterhead", to_column=12)
    s.heights[2] = 8
    s.heights[3] = 24
    s.put(3, 2, "МЕДИЦИНСКАЯ КАРТА АМБУЛАТОРНОГО БОЛЬНОГО №", "title_right", to_column=10)
    s.put(3, 11, None, "number", to_column=12)
    s.put(4, 2, "отделение фототерапии (ПУВА-терапия)", "hint", to_column=12)
    s.heights[5] = 20
    s.put(5, 2, "Фамилия, имя, отчество", "label", to_column=4)
    s.put(5, 5, None, "value", to_column=12)
    s.heights[7] = 18
    s.put(7, 2, "Пол", "label", to_column=3)
    s.put(7, 4, None, "value", to_column=5)
    s.heights[8] = 18
    s.put(8, 6, "Телефон мобильный", "label_right", to_column=8)
    s.put(8, 9, None, "value", to_column=12)
    s.heights[9] = 18
    s.put(9, 2, "Дата рождения", "label", to_column=3)
    s.put(9, 4, None, "value", to_column=5)
    s.put(9, 6, "домашний", "label_right", to_column=8)
    s.put(9, 9, None, "value", to_column=12)
    s.heights[10] = 18
    s.put(10, 6, "рабочий", "label_right", to_column=8)
    s.put(10, 9, None, "value", to_column=12)
    s.heights[12] = 32
    s.put(12, 2, "Адрес", "label_top", to_column=3)
    s.put(12, 4, None, "value_wrap", to_column=12)
    s.put(13, 4, "(область, населённый пункт, улица, дом, квартира)", "hint", to_column=12)
    s.heights[14] = 32
    s.put(14, 2, "Место работы, должность", "label_top", to_column=4)
    s.put(14, 5, None, "value_wrap", to_column=12)
    s.put(15, 5, "(профессия, место работы, должность)", "hint", to_column=12)
    s.heights[17] = 18
    s.put(17, 2, "Дата взятия на учёт", "label", to_column=5)
    s.put(17, 6, None, "value", to_column=7)
    s.heights[19] = 66
    s.put(19, 2, "Диагноз", "label_top")
    s.put(19, 3, None, "value_box", to_column=12)
    s.heights[21] = 18
    s.put(21, 2, "Непереносимость лекарственных средств, аллергические реакции", "label", to_column=9)
    s.heights[22] = 18
    s.put(22, 2, None, "value", to_column=12)
    s.heights[24] = 18
    s.put(24, 2, "Группа крови, резус-фактор", "label", to_column=5)
    s.put(24, 6, None, "value", to_column=8)
    s.heights[27] = 18
    s.put(27, 2, "Лечащий врач", "label", to_column=3)
    s.put(27, 4, None, "value", to_column=8)
    s.put(27, 9, None, "value", to_column=12)
    s.put(28, 4, "(фамилия, инициалы)", "hint", to_column=8)
    s.put(28, 9, "(подпись)", "hint", to_column=12)
    s.print_area = "$A$1:$L$28"
    return s


def diagnoses_sheet():
    # From row 4: B date, C event, D diagnosis.
    s = Sheet("Диагнозы", [2.5, 12, 24, 54],
              {2: "cell_center", 3: "cell_text", 4: "cell_text"})
    s.heights[1] = 34
    s.put(1, 2, "ЛИСТ ЗАКЛЮЧИТЕЛЬНЫХ (УТОЧНЁННЫХ) ДИАГНОЗОВ", "title", to_column=4)
    for column in (2, 3, 4):  # a gap, not a table row
        s.put(2, column, None)
    s.heights[3] = 28
    s.put(3, 2, "Дата", "caption")
    s.put(3, 3, "Событие", "caption")
    s.put(3, 4, "Диагноз", "caption")
    s.print_titles = "$3:$3"
    return s


def diary_sheet(dated):
    # B2 the registration and anamnesis, then one day or one visit per row in B. The older card puts
    # each row's date in A; the card's own rows begin with their date, and A is only a margin there.
    if dated:
        s = Sheet("Карта", [12, 80.5], {1: "cell_center", 2: "cell_text"})
        s.put(1, 1, "Дата", "caption")
    else:
        s = Sheet("Дневник", [2.5, 90], {2: "cell_text"})
    s.heights[1] = 28
    s.put(1, 2, "Дневник наблюдения. Записи лечащего врача", "caption")
    s.print_titles = "$1:$1"
    return s


def procedures_sheet():
    # From row 3: the procedure, its course, date, unit, minutes, dose in J/cm², drug, note.
    s = Sheet("Процедуры", [7, 7, 11, 11, 8, 9, 15, 24.5],
              {1: "cell_center", 2: "cell_center", 3: "cell_center", 4: "cell_center", 5: "cell_center",
               6: "cell_dose", 7: "cell_text", 8: "cell_text"})
    s.heights[1] = 34
    s.put(1, 1, "ЛИСТ УЧЁТА ПРОЦЕДУР ПУВА-ТЕРАПИИ", "title", to_column=8)
    s.heights[2] = 40
    for column, caption in enumerate(["№ проц.", "№ курса", "Дата", "Установка", "Время, мин",
                                      "Доза УФА, Дж/см²", "Препарат", "Примечание, осложнения"],
                                     start=1):
        s.put(2, column, caption, "caption_small")
    s.print_titles = "$2:$2"
    return s


def outcome_sheet(name, title, columns):
    # A1 the title with the period, row 2 the columns' names (the program writes them again), the
    # rows from 3. columns: (name, width, format of its cells).
    s = Sheet(name, [w for _, w, _ in columns], {i: f for i, (_, _, f) in enumerate(columns, start=1)},
              OUTCOME_FORMATS)
    s.heights[1] = 24
    s.put(1, 1, title, "title")
    s.heights[2] = 40
    for i, (caption, _, _) in enumerate(columns, start=1):
        s.put(2, i, caption, "caption")
    s.print_titles = "$2:$2"
    return s


def outcome_sheets():
    summary = outcome_sheet("Сводка по годам", "Итоги лечения", [
        ("Год", 9, "cell_center"), ("Курсов", 9, "cell_number"), ("Пациентов", 10, "cell_number"),
        ("С данными", 10, "cell_number"), ("С PASI", 9, "cell_number"), ("PASI 75, %", 10, "cell_percent"),
        ("С SCORAD", 10, "cell_number"), ("SCORAD 50, %", 10, "cell_percent"),
        ("Медиана процедур (PASI 75)", 13, "cell_number"), ("Медиана дозы (PASI 75), Дж/см²", 14, "cell_dose"),
        ("Медиана ремиссии, дн.", 12, "cell_number")])
    courses = outcome_sheet("Курсы", "Курсы ПУВА", [
        ("Пациент", 30, "cell_text"), ("№ а\\к", 8, "cell_number"), ("№ курса", 7, "cell_number"),
        ("Начало", 11, "cell_date"), ("Окончание", 11, "cell_date"), ("Процедур", 9, "cell_number"),
        ("Доза УФА, Дж/см²", 10, "cell_dose"), ("PASI до", 8, "cell_number"), ("PASI после", 8, "cell_number"),
        ("PASI, улучшение %", 11, "cell_percent"), ("SCORAD до", 8, "cell_number"),
        ("SCORAD после", 8, "cell_number"), ("SCORAD, улучшение %", 11, "cell_percent"),
        ("PASI 50", 7, "cell_center"), ("PASI 75", 7, "cell_center"), ("PASI 90", 7, "cell_center"),
        ("SCORAD 50", 8, "cell_center"), ("SCORAD 75", 8, "cell_center"), ("Ремиссия, дн.", 10, "cell_number")])
    return [summary, courses]


def workbook(path, sheets, title="Амбулаторная карта", formats=None):
    strings = []
    sheet_parts = [(f"xl/worksheets/sheet{i}.xml", sheet.xml(strings)) for i, sheet in enumerate(sheets, start=1)]
    names = ""
    for i, sheet in enumerate(sheets):
        quoted = "'" + sheet.name.replace("'", "''") + "'"
        if sheet.print_area:
            names += (f'<definedName name="_xlnm.Print_Area" localSheetId="{i}">'
                      f'{quoted}!{sheet.print_area}</definedName>')
        if sheet.print_titles:
            names += (f'<definedName name="_xlnm.Print_Titles" localSheetId="{i}">'
                      f'{quoted}!{sheet.print_titles}</definedName>')
    book = (XML_HEAD + f'<workbook xmlns="{NS_MAIN}" xmlns:r="{NS_REL}">'
            '<bookViews><workbookView activeTab="0"/></bookViews><sheets>' +
            "".join(f'<sheet name="{escape(sheet.name)}" sheetId="{i}" r:id="rId{i}"/>'
                    for i, sheet in enumerate(sheets, start=1)) +
            "</sheets>" + (f"<definedNames>{names}</definedNames>" if names else "") +
            '<calcPr calcId="191029"/></workbook>')
    n = len(sheets)
    book_rels = (XML_HEAD + f'<Relationships xmlns="{NS_PKG_REL}">' +
                 "".join(f'<Relationship Id="rId{i}" Type="{NS_REL}/worksheet" Target="worksheets/sheet{i}.xml"/>'
                         for i in range(1, n + 1)) +
                 f'<Relationship Id="rId{n + 1}" Type="{NS_REL}/styles" Target="styles.xml"/>'
                 f'<Relationship Id="rId{n + 2}" Type="{NS_REL}/sharedStrings" Target="sharedStrings.xml"/>'
                 "</Relationships>")
    shared = (XML_HEAD + f'<sst xmlns="{NS_MAIN}" count="{len(strings)}" uniqueCount="{len(strings)}">' +
              "".join(f'<si><t xml:space="preserve">{escape(t)}</t></si>' for t in strings) + "</sst>")
    sheet_type = "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"
    types = (XML_HEAD + '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
             '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
             '<Default Extension="xml" ContentType="application/xml"/>'
             '<Override PartName="/xl/workbook.xml" '
             'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>' +
             "".join(f'<Override PartName="/{name}" ContentType="{sheet_type}"/>' for name, _ in sheet_parts) +
             '<Override PartName="/xl/styles.xml" '
             'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>'
             '<Override PartName="/xl/sharedStrings.xml" '
             'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>'
             '<Override PartName="/docProps/core.xml" '
             'ContentType="application/vnd.openxmlformats-package.core-properties+xml"/>'
             '<Override PartName="/docProps/app.xml" '
             'ContentType="application/vnd.openxmlformats-officedocument.extended-properties+xml"/>'
             "</Types>")
    write_package(path, [
        ("[Content_Types].xml", types),
        ("_rels/.rels", package_rels("xl/workbook.xml")),
        ("docProps/core.xml", core_props(title)),
        ("docProps/app.xml", app_props()),
        ("xl/workbook.xml", book),
        ("xl/_rels/workbook.xml.rels", book_rels),
        ("xl/styles.xml", styles_xml(formats)),
        ("xl/sharedStrings.xml", shared),
    ] + sheet_parts)


# ---------------------------------------------------------------------------------------------
# Discharge summary


def run(text, bold=False, size=None, italic=False):
    props = ("<w:b/>" if bold else "") + ("<w:i/>" if italic else "") + \
        (f'<w:sz w:val="{size}"/><w:szCs w:val="{size}"/>' if size else "")
    return (f"<w:r>{'<w:rPr>' + props + '</w:rPr>' if props else ''}"
            f'<w:t xml:space="preserve">{escape(text)}</w:t></w:r>')


def paragraph(runs, align=None, after=0, before=0, border=False, indent=None, keep=False):
    props = ""
    if keep:
        props += "<w:keepNext/>"
    if border:
        props += '<w:pBdr><w:bottom w:val="double" w:sz="6" w:space="4" w:color="auto"/></w:pBdr>'
    props += f'<w:spacing w:before="{before}" w:after="{after}"/>'
    if indent:
        props += f'<w:ind w:firstLine="{indent}"/>'
    if align:
        props += f'<w:jc w:val="{align}"/>'
    return f"<w:p><w:pPr>{props}</w:pPr>{''.join(runs)}</w:p>"


def vipiska(path):
    # The letterhead is the clinic's own file sourses/docs_had.txt, as on the card and the certificates:
    # the program puts its lines in place of this word, one paragraph per line.
    body = paragraph([run("Шапка", size=20)], align="center")
    body += paragraph([], after=120, border=True)
    body += paragraph([run("ВЫПИСНОЙ ЭПИКРИЗ", bold=True, size=28)], align="center", before=240, after=240)
    # The program puts the extract in place of this word, one paragraph per line.
    body += paragraph([run("Текст")], align="both")
    # The signatures never stand alone on a page: this gap keeps with them, and the program keeps the
    # text's last lines with the gap.
    body += paragraph([], after=0, keep=True)
    body += paragraph([run("Лечащий врач  ________________  /______________________/")], before=480, keep=True)
    body += paragraph([run("Заведующий отделением  ________________  /______________________/")],
                      before=240, keep=True)
    body += paragraph([run("М. П.", size=20), run("\u00a0" * 40), run("«____» ______________ 20___ г.")],
                      before=360)
    sect = ('<w:sectPr><w:footerReference w:type="default" r:id="rId3"/>'
            '<w:pgSz w:w="11906" w:h="16838"/>'
            '<w:pgMar w:top="1134" w:right="850" w:bottom="1134" w:left="1418" w:header="567" w:footer="567" '
            'w:gutter="0"/></w:sectPr>')
    document = (XML_HEAD + f'<w:document xmlns:w="{NS_W}" xmlns:r="{NS_REL}"><w:body>{body}{sect}</w:body>'
                "</w:document>")
    styles = (XML_HEAD + f'<w:styles xmlns:w="{NS_W}"><w:docDefaults><w:rPrDefault><w:rPr>'
              '<w:rFonts w:ascii="Times New Roman" w:hAnsi="Times New Roman" w:eastAsia="Times New Roman" '
              'w:cs="Times New Roman"/><w:sz w:val="24"/><w:szCs w:val="24"/><w:lang w:val="ru-RU"/>'
              '</w:rPr></w:rPrDefault><w:pPrDefault><w:pPr><w:spacing w:after="0" w:line="240" w:lineRule="auto"/>'
              '</w:pPr></w:pPrDefault></w:docDefaults>'
              '<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/>'
              '<w:qFormat/></w:style>'
              '<w:style w:type="character" w:default="1" w:styleId="DefaultParagraphFont">'
              '<w:name w:val="Default Paragraph Font"/><w:uiPriority w:val="1"/><w:semiHidden/></w:style>'
              '</w:styles>')
    settings = (XML_HEAD + f'<w:settings xmlns:w="{NS_W}"><w:defaultTabStop w:val="708"/>'
                '<w:characterSpacingControl w:val="doNotCompress"/><w:themeFontLang w:val="ru-RU"/></w:settings>')
    footer = (XML_HEAD + f'<w:ftr xmlns:w="{NS_W}"><w:p><w:pPr><w:jc w:val="right"/></w:pPr>'
              '<w:r><w:rPr><w:sz w:val="18"/></w:rPr><w:t xml:space="preserve">Выписной эпикриз, стр. </w:t></w:r>'
              '<w:r><w:rPr><w:sz w:val="18"/></w:rPr><w:fldChar w:fldCharType="begin"/></w:r>'
              '<w:r><w:rPr><w:sz w:val="18"/></w:rPr><w:instrText xml:space="preserve"> PAGE </w:instrText></w:r>'
              '<w:r><w:rPr><w:sz w:val="18"/></w:rPr><w:fldChar w:fldCharType="separate"/></w:r>'
              '<w:r><w:rPr><w:sz w:val="18"/></w:rPr><w:t>1</w:t></w:r>'
              '<w:r><w:rPr><w:sz w:val="18"/></w:rPr><w:fldChar w:fldCharType="end"/></w:r>'
              '</w:p></w:ftr>')
    rels = (XML_HEAD + f'<Relationships xmlns="{NS_PKG_REL}">'
            f'<Relationship Id="rId1" Type="{NS_REL}/styles" Target="styles.xml"/>'
            f'<Relationship Id="rId2" Type="{NS_REL}/settings" Target="settings.xml"/>'
            f'<Relationship Id="rId3" Type="{NS_REL}/footer" Target="footer1.xml"/>'
            "</Relationships>")
    wml = "application/vnd.openxmlformats-officedocument.wordprocessingml"
    types = (XML_HEAD + '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
             '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
             '<Default Extension="xml" ContentType="application/xml"/>'
             f'<Override PartName="/word/document.xml" ContentType="{wml}.document.main+xml"/>'
             f'<Override PartName="/word/styles.xml" ContentType="{wml}.styles+xml"/>'
             f'<Override PartName="/word/settings.xml" ContentType="{wml}.settings+xml"/>'
             f'<Override PartName="/word/footer1.xml" ContentType="{wml}.footer+xml"/>'
             '<Override PartName="/docProps/core.xml" '
             'ContentType="application/vnd.openxmlformats-package.core-properties+xml"/>'
             '<Override PartName="/docProps/app.xml" '
             'ContentType="application/vnd.openxmlformats-officedocument.extended-properties+xml"/>'
             "</Types>")
    write_package(path, [
        ("[Content_Types].xml", types),
        ("_rels/.rels", package_rels("word/document.xml")),
        ("docProps/core.xml", core_props("Выписной эпикриз")),
        ("docProps/app.xml", app_props()),
        ("word/document.xml", document),
        ("word/_rels/document.xml.rels", rels),
        ("word/styles.xml", styles),
        ("word/settings.xml", settings),
        ("word/footer1.xml", footer),
    ])


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(SOURSES, "reports")
    os.makedirs(out, exist_ok=True)
    workbook(os.path.join(out, "karta1.xlsx"), [title_sheet(), diagnoses_sheet(), diary_sheet(False),
                                                           procedures_sheet()])
    # The older card has no procedure sheet: its card sheet tells the procedures in the text.
    workbook(os.path.join(out, "karta.xlsx"), [title_sheet(), diagnoses_sheet(), diary_sheet(True)])
    vipiska(os.path.join(out, "vipiska.docx"))
    workbook(os.path.join(out, "itogi.xlsx"), outcome_sheets(), "Итоги лечения", OUTCOME_FORMATS)


if __name__ == "__main__":
    main()

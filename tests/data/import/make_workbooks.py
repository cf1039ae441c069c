#!/usr/bin/python3
"""Makes the workbook fixtures of the bridge tests (run with Debian's python3 and
python3-openpyxl; LibreOffice, when installed, makes the .xls copies and the CSV-born files).

    cd tests/data/import && /usr/bin/python3 make_workbooks.py

freexl_overread.xls and freexl_huge_stream.xls are not made here: the workbook fuzzer found
them (legacy workbooks whose directory claims a 28160-byte entry name and a 4 GiB stream).
freexl_record_overread.xls, found the same way, makes freexl 1.0.6 copy past a heap buffer
while it parses the workbook records, and freexl_bad_free.xls makes it free a wild pointer;
the import survives them only because freexl runs in a child process.
"""
import datetime
import os
import shutil
import struct
import subprocess
import tempfile
import zipfile
import zlib

import openpyxl

TITLES = ["编号", "姓名", "部门", "手机"]


def openpyxl_book(name, rows, origin=(1, 1)):
    wb = openpyxl.Workbook()
    ws = wb.active
    for r, row in enumerate(rows):
        for c, value in enumerate(row):
            if value is not None:
                ws.cell(row=origin[0] + r, column=origin[1] + c, value=value)
    wb.save(name)


def make_openpyxl():
    # Inline strings, numbers as numbers, a date cell, absolute relationship targets.
    openpyxl_book("titles_in_order.xlsx", [
        TITLES,
        ["A001", "  张三 ", "销售部", 13800138000],
        [3.6, "李四", datetime.date(2024, 3, 5), 13912345678],
        ["007", "王五", None, "139 0000 0000"],
    ])
    openpyxl_book("title_spaced.xlsx", [
        ["手机", "姓 名", "备注", "部门 "],
        [13800138000, "张三", "x", "销售部"],
    ])
    openpyxl_book("title_only_mobile.xlsx", [
        ["序号", "联系人", "手机"],
        [1, "张三", 13800138000],
        [2, "李四", 13912345678],
    ])
    openpyxl_book("no_title.xlsx", [
        ["A001", "张三", "销售部", 13800138000],
        ["A002", "李四", "技术部", 13912345678],
    ])
    openpyxl_book("offset_range.xlsx", [
        ["B001", "赵六", "财务部", 13700000000],
        ["B002", "钱七", None, None],
        [None, None, None, 13600000000],
    ], origin=(3, 2))
    wb = openpyxl.Workbook()
    wb.save("empty.xlsx")


SHEET_NS = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" ' \
           'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"'
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"


def write_zip(name, entries):
    with zipfile.ZipFile(name, "w", zipfile.ZIP_DEFLATED) as z:
        for entry, text in entries.items():
            z.writestr(entry, text)


def package_rels(workbook="xl/workbook.xml"):
    return ('<?xml version="1.0" encoding="UTF-8"?>'
            '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
            f'<Relationship Id="rId1" Type="{REL}officeDocument" Target="{workbook}"/>'
            '</Relationships>')


def make_hand_built():
    # The workbook lists "Second" (sheet2.xml, reached by an absolute target) before "First";
    # shared strings with rich-text runs and a phonetic guide; custom date formats; cells and
    # rows without references; a row missing inside the used range; booleans and errors.
    workbook = (f'<workbook {SHEET_NS}><workbookPr/><sheets>'
                '<sheet name="Second" sheetId="2" r:id="rId7"/>'
                '<sheet name="First" sheetId="1" r:id="rId1"/></sheets></workbook>')
    rels = ('<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
            f'<Relationship Id="rId1" Type="{REL}worksheet" Target="worksheets/sheet1.xml"/>'
            f'<Relationship Id="rId7" Type="{REL}worksheet" Target="/xl/worksheets/sheet2.xml"/>'
            f'<Relationship Id="rId3" Type="{REL}sharedStrings" Target="../xl/./sharedStrings.xml"/>'
            f'<Relationship Id="rId4" Type="{REL}styles" Target="/xl/styles.xml"/>'
            '</Relationships>')
    shared = ('<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
              '<si><t>编号</t></si>'
              '<si><r><rPr><b/></rPr><t>姓</t></r><r><t xml:space="preserve"> 名</t></r></si>'
              '<si><t>部门</t></si><si><t>手机</t></si>'
              '<si><r><t>张</t></r><r><rPr><i/></rPr><t>三</t></r>'
              '<rPh sb="0" eb="1"><t>ちょう</t></rPh></si>'
              '<si><t>第一行_x000D_</t></si>'
              '<si><t>a_x005F_x0041_b</t></si>'
              '<si/>'
              '</sst>')
    styles = ('<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
              '<numFmts count="2"><numFmt numFmtId="164" formatCode="yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot;"/>'
              '<numFmt numFmtId="165" formatCode="[h]:mm:ss"/></numFmts>'
              '<cellStyleXfs count="1"><xf numFmtId="14"/></cellStyleXfs>'
              '<cellXfs count="4"><xf numFmtId="0"/><xf numFmtId="164"/><xf numFmtId="165"/>'
              '<xf numFmtId="49"/></cellXfs></styleSheet>')
    first = (f'<worksheet {SHEET_NS}><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>First</t></is></c>'
             '</row></sheetData></worksheet>')
    second = (f'<worksheet {SHEET_NS}><dimension ref="A1:Z99"/><sheetData>'
              '<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c>'
              '<c r="C1" t="s"><v>2</v></c><c r="D1" t="s"><v>3</v></c></row>'
              # no references on the cells: A, B, C, D in order
              '<row r="2"><c t="inlineStr"><is><r><t>N</t></r><r><t>1</t></r></is></c>'
              '<c t="s"><v>4</v></c><c s="1"><v>45356.75</v></c><c><v>13800138000</v></c></row>'
              # row 3 is missing; the row after row 4 has no number and is row 5
              '<row r="4"><c r="A4" t="b"><v>1</v></c><c r="B4" t="e"><v>#N/A</v></c>'
              '<c r="C4" s="2"><v>0.5</v></c><c r="D4" t="str"><f>A1</f><v>  公式  </v></c></row>'
              '<row><c r="A5" t="s"><v>5</v></c><c r="B5" t="s"><v>6</v></c>'
              '<c r="C5" t="d"><v>2023-12-31T00:00:00</v></c><c r="D5" t="s"><v>7</v></c></row>'
              '</sheetData></worksheet>')
    write_zip("hand_built.xlsx", {
        "[Content_Types].xml": '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>',
        "_rels/.rels": package_rels(),
        "xl/workbook.xml": workbook,
        "xl/_rels/workbook.xml.rels": rels,
        "xl/sharedStrings.xml": shared,
        "xl/styles.xml": styles,
        "xl/worksheets/sheet1.xml": first,
        "xl/worksheets/sheet2.xml": second,
    })
    # A document type declaration with an external entity: must be refused, never fetched.
    evil = ('<?xml version="1.0"?><!DOCTYPE worksheet [<!ENTITY x SYSTEM "file:///etc/passwd">]>'
            f'<worksheet {SHEET_NS}><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>&x;</t>'
            '</is></c></row></sheetData></worksheet>')
    write_zip("external_entity.xlsx", {
        "_rels/.rels": package_rels(),
        "xl/workbook.xml": f'<workbook {SHEET_NS}><sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>',
        "xl/_rels/workbook.xml.rels":
            '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
            f'<Relationship Id="rId1" Type="{REL}worksheet" Target="worksheets/sheet1.xml"/></Relationships>',
        "xl/worksheets/sheet1.xml": evil,
    })


def make_not_a_workbook():
    write_zip("not_a_workbook.xlsx", {"readme.txt": "just a zip"})


def one_sheet(name, sheet_xml):
    write_zip(name, {
        "_rels/.rels": package_rels(),
        "xl/workbook.xml": f'<workbook {SHEET_NS}><sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>',
        "xl/_rels/workbook.xml.rels":
            '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
            f'<Relationship Id="rId1" Type="{REL}worksheet" Target="worksheets/sheet1.xml"/></Relationships>',
        "xl/worksheets/sheet1.xml": sheet_xml,
    })


def make_hostile_sheets():
    # Internal entities that would expand a billion times.
    laughs = '<!DOCTYPE w [<!ENTITY a "aaaaaaaaaa">' + "".join(
        f'<!ENTITY {chr(98 + i)} "{("&" + chr(97 + i) + ";") * 10}">' for i in range(9)) + ']>'
    one_sheet("entity_expansion.xlsx", '<?xml version="1.0"?>' + laughs +
              f'<worksheet {SHEET_NS}><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>&j;</t>'
              '</is></c></row></sheetData></worksheet>')
    one_sheet("deep_nesting.xlsx", f'<worksheet {SHEET_NS}><sheetData>' + "<x>" * 100000 +
              "</x>" * 100000 + '</sheetData></worksheet>')
    one_sheet("beyond_last_column.xlsx", f'<worksheet {SHEET_NS}><sheetData><row r="1">'
              '<c r="XFE1"><v>1</v></c></row></sheetData></worksheet>')


def deflate(data_chunks):
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    out = b"".join(c.compress(chunk) for chunk in data_chunks) + c.flush()
    return out


def raw_zip(name, entry, compressed, crc, declared):
    """One deflated entry with the sizes we choose to declare."""
    n = entry.encode()
    local = struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, 8, 0, 0, crc, len(compressed),
                        declared, len(n), 0) + n
    central = struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, 8, 0, 0, crc,
                          len(compressed), declared, len(n), 0, 0, 0, 0, 0, 0) + n
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 1, 1, len(central),
                      len(local) + len(compressed), 0)
    with open(name, "wb") as f:
        f.write(local + compressed + central + end)


def make_bombs():
    # 300 MiB of spaces declared honestly: refused from its header before inflating.
    chunk = b" " * (1 << 20)
    crc = 0
    for _ in range(300):
        crc = zlib.crc32(chunk, crc)
    raw_zip("bomb_declared.xlsx", "xl/workbook.xml", deflate([chunk] * 300), crc, 300 << 20)
    # 64 MiB that claims to be 100 bytes: refused as soon as it inflates past its claim.
    raw_zip("bomb_lying.xlsx", "xl/workbook.xml", deflate([chunk] * 64), 0, 100)


def make_libreoffice():
    soffice = shutil.which("soffice")
    if not soffice:
        print("soffice not found: the LibreOffice files were not remade")
        return
    with tempfile.TemporaryDirectory() as tmp:
        csv = os.path.join(tmp, "libreoffice_titles.csv")
        with open(csv, "w", encoding="utf-8") as f:
            f.write("编号,姓名,部门,手机\nA001,张三,销售部,13800138000\n"
                    "A002,李 四,技术部,13912345678\n,,,\nA004,孙八,,3.6\n")
        for fmt in ("xlsx", "xls"):
            subprocess.run([soffice, "--headless", "--convert-to", fmt, "--infilter=CSV:44,34,76",
                            "--outdir", ".", csv], check=True, capture_output=True)
        # Legacy copies of the openpyxl files, for the freexl path.
        for name in ("titles_in_order", "offset_range", "empty"):
            subprocess.run([soffice, "--headless", "--convert-to", "xls", "--outdir", ".",
                            name + ".xlsx"], check=True, capture_output=True)


if __name__ == "__main__":
    make_openpyxl()
    make_hand_built()
    make_bombs()
    make_not_a_workbook()
    make_hostile_sheets()
    make_libreoffice()

#!/usr/bin/python3
"""Makes the fixtures of the lists people really have: a banner and a note above the header,
HR column names in any order, English names, quoted CSV, tab-separated and full-width-comma
text, a stray byte in a UTF-8 file, booleans, errors and formulas in a legacy workbook. Each file comes
from a real writer: openpyxl and xlwt (Debian's python3-openpyxl and python3-xlwt), LibreOffice
(soffice --headless) and iconv.

    cd tests/data/import && /usr/bin/python3 make_fixtures.py

The files are committed; the tests do not need these writers.
"""
import os
import shutil
import subprocess
import tempfile

import openpyxl
import xlwt

PEOPLE = [
    # 序号, 工号, 员工姓名, 手机号码, 所属部门, 备注
    (1, "E001", "张三", 13800138000, "研发部,一组", "好的，谢谢"),
    (2, "E002", '李"四"', 13912345678, "市场部", "第一行\n第二行"),
    (3, "E003", "王五", None, "财务部", None),
]
HEADER = ["序号", "工号", "员工姓名", "手机号码", "所属部门", "备注"]


def soffice():
    path = shutil.which("soffice")
    if not path:
        raise SystemExit("soffice is needed (Debian package libreoffice-calc-nogui)")
    return path


def convert(source, target_format, outdir, csv_options=None):
    # csv_options: separator, quote character, character set (76 is UTF-8), first line.
    target = target_format
    if csv_options:
        target = f"{target_format}:Text - txt - csv (StarCalc):{csv_options}"
    subprocess.run([soffice(), "--headless", "--convert-to", target, "--outdir", outdir, source],
                   check=True, capture_output=True)


def banner_workbook(name):
    # As HR departments send them: a merged banner, a note, then the header row.
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.append(["2026 年会抽奖名单"])
    ws.merge_cells("A1:F1")
    ws.append(["说明：请核对后导入，谢谢"])
    ws.merge_cells("A2:F2")
    ws.append(HEADER)
    for row in PEOPLE:
        ws.append(list(row))
    wb.save(name)


def english_workbook(name):
    # English names, another order, an unused column.
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.append(["Full Name", "Remark", "Employee ID", "Phone", "Dept"])
    ws.append(["Zhang San", "x", "E001", 13800138000, "R&D"])
    ws.append(["Li Si", None, "E002", "139-1234-5678", "Sales"])
    wb.save(name)


def boolean_workbook(name):
    # xlwt writes Python booleans and error codes as BOOLERR records, as Excel does.
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("名单")
    for c, title in enumerate(["编号", "姓名", "部门", "手机"]):
        ws.write(0, c, title)
    ws.write(1, 0, "A001")
    ws.write(1, 1, "张三")
    ws.write(1, 2, True)
    ws.write(1, 3, False)
    ws.write(2, 0, "A002")
    ws.write(2, 1, "李四")
    ws.row(2).set_cell_error(2, 0x2A)  # #N/A
    ws.row(2).set_cell_error(3, "#DIV/0!")
    ws.write(3, 0, 7)
    ws.write(3, 1, "王五")
    ws.write(3, 2, 1)  # a real number 1 next to the booleans: it stays "1"
    ws.write(3, 3, 0)
    wb.save(name)


def formula_workbook(source):
    # Staff numbers, names and departments built by formulas, as lists kept in Excel often
    # are; LibreOffice computes them and stores each result beside its formula in the .xls.
    # The staff-number formula is the same in three rows, so it is stored once, shared.
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.append(["序号", "工号", "姓名", "部门", "手机", "备注"])
    ws.append(["=ROW()-1", '="A"&TEXT(999+ROW(),"0000")', "张三", '=IF(ROW()>0,"研发部","")',
               "=13800138000+ROW()", "x"])
    ws.append(["=ROW()-1", '="A"&TEXT(999+ROW(),"0000")', '=CONCATENATE("李","四")', '=""',
               "=1/0"])
    ws.append(["=ROW()-1", '="A"&TEXT(999+ROW(),"0000")', "王五", '=REPT("研发",3000)',
               "=1=1"])
    ws.append(["=ROW()-1", "=1003+1", "赵六", "市场部", "13900000000"])
    wb.save(source)


def text_files(tmp):
    # LibreOffice's CSV export of the banner workbook: UTF-8, fields with commas, quotes or
    # line breaks in double quotes, doubled quotes inside.
    book = os.path.join(tmp, "list.xlsx")
    banner_workbook(book)
    convert(book, "csv", tmp, "44,34,76,1")
    shutil.copy(os.path.join(tmp, "list.csv"), "quoted.csv")
    # The same list tab-separated.
    convert(book, "csv", tmp, "9,34,76,1")
    shutil.copy(os.path.join(tmp, "list.csv"), "tabs.tsv")
    # Excel's "Unicode text": UTF-16 with a byte-order mark and tabs, from iconv.
    with open("utf16_tabs.txt", "wb") as out:
        out.write(subprocess.run(["iconv", "-f", "UTF-8", "-t", "UTF-16"],
                                 input=open("tabs.tsv", "rb").read(), check=True,
                                 capture_output=True).stdout)
    # Typed in Notepad with a Chinese input method and saved as ANSI (GBK).
    typed = ("工号，姓名，部门，手机\n"
             "E001，张三，研发部，13800138000\n"
             "E002，李四，市场部，13912345678\n")
    with open("fullwidth_gbk.txt", "wb") as out:
        out.write(subprocess.run(["iconv", "-f", "UTF-8", "-t", "GBK"], input=typed.encode(),
                                 check=True, capture_output=True).stdout)
    # A UTF-8 list (LibreOffice again) with one stray byte in a remark: 120 names and more
    # than 99% of its non-ASCII sequences well-formed.
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.append(["编号", "姓名", "部门", "手机", "备注"])
    surnames = "赵钱孙李周吴郑王冯陈褚卫蒋沈韩杨朱秦尤许"
    for i in range(120):
        ws.append([f"N{i + 1:03d}", surnames[i % 20] + "小" + "明红"[i % 2], "研发部",
                   13800000000 + i, "备注" if i == 60 else None])
    wb.save(book)
    convert(book, "csv", tmp, "44,34,76,1")
    data = open(os.path.join(tmp, "list.csv"), "rb").read()
    marker = "备注".encode()
    at = data.rindex(marker)  # the remark of N061, not the header
    data = data[:at + len(marker)] + b"\xff" + data[at + len(marker):]
    with open("stray_byte.csv", "wb") as out:
        out.write(data)


if __name__ == "__main__":
    banner_workbook("banner_note_header.xlsx")
    with tempfile.TemporaryDirectory() as tmp:
        convert("banner_note_header.xlsx", "xls", tmp)
        shutil.copy(os.path.join(tmp, "banner_note_header.xls"), ".")
        english_workbook("english_headers.xlsx")
        boolean_workbook("booleans.xls")
        formula_workbook(os.path.join(tmp, "formulas.xlsx"))
        convert(os.path.join(tmp, "formulas.xlsx"), "xls", tmp)
        shutil.copy(os.path.join(tmp, "formulas.xls"), ".")
        text_files(tmp)

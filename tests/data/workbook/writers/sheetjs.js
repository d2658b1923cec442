// Writes each described case with SheetJS as sheetjs.xlsx, sheetjs.xls and
// sheetjs.ods in its folder. Usage: node sheetjs.js CASES.json (make_writers.py
// writes the description); the package "xlsx" is found through NODE_PATH.
const fs = require("fs");
const path = require("path");
const XLSX = require("xlsx");

function cellOf(cell) {
  switch (cell[0]) {
    case "n": return { t: "n", v: cell[1] };
    case "s": return { t: "s", v: cell[1] };
    case "f": return { t: "n", v: cell[3], f: cell[1] };
    case "fs": return { t: "s", v: cell[3], f: cell[1] };
    case "d": return { t: "d", v: new Date(cell[1] + "T00:00:00Z"), z: "d/m" };
  }
  throw new Error("unknown cell " + JSON.stringify(cell));
}

function worksheet(rows, width, merges, styledRows, styledColumns) {
  const sheet = {};
  rows.forEach((row, r) => row.forEach((cell, c) => {
    if (cell) sheet[XLSX.utils.encode_cell({ r, c })] = cellOf(cell);
  }));
  // Formatted empty cells after the data: stubs that widen the used range.
  for (let r = 0; r < rows.length + styledRows; ++r)
    for (let c = 0; c < width + styledColumns; ++c) {
      const ref = XLSX.utils.encode_cell({ r, c });
      if ((r >= rows.length || c >= width) && !sheet[ref]) sheet[ref] = { t: "z" };
    }
  sheet["!ref"] = XLSX.utils.encode_range({ s: { r: 0, c: 0 },
    e: { r: rows.length + styledRows - 1, c: width + styledColumns - 1 } });
  if (merges.length)
    sheet["!merges"] = merges.map(([r1, c1, r2, c2]) => ({ s: { r: r1, c: c1 }, e: { r: r2, c: c2 } }));
  return sheet;
}

for (const one of JSON.parse(fs.readFileSync(process.argv[2], "utf8"))) {
  const book = XLSX.utils.book_new();
  XLSX.utils.book_append_sheet(book, worksheet(one.rows, one.width, one.merges, one.styledRows,
    one.styledColumns), "Φύλλο1");
  if (one.second)
    XLSX.utils.book_append_sheet(book, worksheet(one.second, one.second[0].length, [], 0, 0), "Σημειώσεις");
  for (const [ending, bookType] of [["xlsx", "xlsx"], ["xls", "biff8"], ["ods", "ods"]])
    XLSX.writeFile(book, path.join(one.folder, "sheetjs." + ending), { bookType, sheetStubs: true, compression: true });
}

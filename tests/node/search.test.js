// The search function of the template, on indexes that the program builds.
"use strict";

const { test, describe } = require("node:test");
const assert = require("node:assert/strict");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const { buildExampleIndex, buildIndexOf, loadInContext } = require("./index-builder");

// The pieces of each entry's text that the hits cover.
function marked(entry) {
  return entry.hits.map(([start, end]) => entry.text.slice(start, end));
}

function links(results) {
  return results.map((result) => result.link);
}

// Results as plain data: a context's arrays come from another realm.
function search(db, query) {
  return JSON.parse(JSON.stringify(db.SearchDatabase(query)));
}

describe("the example site's index", () => {
  const db = loadInContext(buildExampleIndex());

  test("holds every page of the site, and its count matches its entries", () => {
    assert.deepEqual([...new Set(db.KeyLink)].sort(), [
      "site/about/this-site.htm",
      "site/index.htm",
      "site/kitchen/quince-jelly.htm",
      "site/orchard/apples.htm",
      "site/orchard/pears.htm",
      "site/visit.html",
    ]);
    assert.equal(db.RecordCount, db.KeyString.length);
    assert.equal(db.KeyLink.length, db.KeyString.length);
  });

  const cases = [
    // query, the pages found in order, what is marked in each page's first text
    ["russet", ["site/index.htm", "site/orchard/apples.htm", "site/orchard/pears.htm"], [["Russet"], ["Russet"], ["russet"]]],
    ["RUSSET", ["site/index.htm", "site/orchard/apples.htm", "site/orchard/pears.htm"], [["Russet"], ["Russet"], ["russet"]]],
    ["quince jelly", ["site/kitchen/quince-jelly.htm", "site/orchard/apples.htm"], [["Quince", "jelly", "Quince"], ["quince", "jelly"]]],
    ["  Jelly   QUINCE ", ["site/kitchen/quince-jelly.htm", "site/orchard/apples.htm"], [["Quince", "jelly", "Quince"], ["quince", "jelly"]]],
    // The index holds the quotation marks as apostrophes; either finds them.
    ['"Old Quince"', ["site/index.htm"], [["'Old", "Quince'"]]],
    ["'old quince'", ["site/index.htm"], [["'Old", "Quince'"]]],
    ["C:\\Sites\\QuinceHill", ["site/about/this-site.htm"], [["C:\\Sites\\QuinceHill"]]],
    // Character references are searched as the reader sees them.
    ["café", ["site/visit.html"], [["café"]]],
    ["Doyenné", ["site/orchard/pears.htm"], [["Doyenné"]]],
    ["apples & pears", ["site/index.htm"], [["Apples", "&", "pears"]]],
    ["<em>", ["site/about/this-site.htm"], [["<em>"]]],
    ["£4.50", ["site/about/this-site.htm"], [["£4.50"]]],
    ["amp", [], []],
    // Every word must be in one text.
    ["pears bramley", [], []],
    ["zebra", [], []],
    // What follows a script or style tag is not in the index.
    ["getElementById", [], []],
    ["padding", [], []],
    ["", [], []],
    ["   ", [], []],
  ];
  for (const [query, pages, firstMarks] of cases) {
    test(`finds ${JSON.stringify(query)}`, () => {
      const results = search(db, query);
      assert.deepEqual(links(results), pages);
      assert.deepEqual(results.map((result) => marked(result.entries[0])), firstMarks);
    });
  }

  test("gives a page's matching texts under it, in index order, decoded", () => {
    const [apples] = search(db, "russet").filter((r) => r.link === "site/orchard/apples.htm");
    assert.deepEqual(apples.entries.map((e) => e.text), [
      "Egremont Russet",
      "A rough, golden-brown skin and a nutty, dry flesh. Russets keep until Christmas in a cool shed.",
    ]);
    assert.ok(apples.entries[0].index < apples.entries[1].index);
    for (const entry of apples.entries) assert.equal(db.KeyLink[entry.index], "site/orchard/apples.htm");

    const [visit] = search(db, "café");
    assert.deepEqual(visit.entries.map((e) => e.text), [
      "The farm shop and the café are open from Tuesday to Sunday. The shop is closed on Mondays, except on bank holidays.",
      "Dogs on leads are welcome in the orchard, but not in the café.",
    ]);
  });
});

describe("the search function", () => {
  test("matches every word within one text, not across the page", () => {
    const db = loadInContext(buildIndexOf({ "a.htm": "<p>alpha beta</p><p>gamma</p><p>beta alpha gamma</p>" }, ["a.htm"]));
    const results = search(db, "gamma alpha");
    assert.equal(results.length, 1);
    assert.deepEqual(results[0].entries.map((e) => e.text), ["beta alpha gamma"]);
  });

  test("keeps one result per page, however its entries are spread", () => {
    // a.htm named twice: its entries come before and after those of b.htm.
    const db = loadInContext(buildIndexOf({
      "a.htm": "<p>apple one</p><p>pear</p><p>apple two</p>",
      "b.htm": "<p>apple three</p>",
    }, ["a.htm", "b.htm", "a.htm"]));
    const results = search(db, "apple");
    assert.deepEqual(links(results), ["a.htm", "b.htm"]);
    assert.deepEqual(results[0].entries.map((e) => [e.index, e.text]), [[0, "apple one"], [2, "apple two"]]);
    assert.deepEqual(results[1].entries.map((e) => [e.index, e.text]), [[3, "apple three"]]);
  });

  const hitCases = [
    // text on the page, query, the hits
    ["xabcx", "ab abc", [[1, 4]]],
    ["aaaa", "aa", [[0, 4]]],
    ["one two one", "one", [[0, 3], [8, 11]]],
    ["Tom &amp; Jerry", "tom jerry", [[0, 3], [6, 11]]],
    ["rock &#x26; roll", "& roll", [[5, 6], [7, 11]]],
  ];
  for (const [text, query, hits] of hitCases) {
    test(`marks ${JSON.stringify(query)} in ${JSON.stringify(text)}`, () => {
      const db = loadInContext(buildIndexOf({ "p.htm": `<p>${text}</p>` }, ["p.htm"]));
      const [result] = search(db, query);
      assert.deepEqual(result.entries[0].hits, hits);
    });
  }

  test("folds the case of ASCII letters only", () => {
    const db = loadInContext(buildIndexOf({ "p.htm": "<p>Grand ÉCOLE hall</p>" }, ["p.htm"]));
    const cases = [["GRAND", 1], ["école", 0], ["Écol", 1], ["ÉcOlE", 1], ["HALL grand", 1]];
    for (const [query, found] of cases) assert.equal(search(db, query).length, found, query);
  });

  test("decodes character references as a browser shows them", () => {
    const cases = [
      ["x &eacute; &Eacute; &nbsp; &yuml;", "x é É \u00a0 ÿ"],
      ["x &#233;&#xE9;&#Xe9;&#233 y", "x éééé y"],
      ["x &#128512; &#x1F600;", "x \u{1F600} \u{1F600}"],
      ["x &#0; &#xD800; &#x110000;", "x \ufffd \ufffd \ufffd"],
      // Unknown names, and names without their semicolon, stay as written.
      ["x AT&T &bogus; &amp &ampx;", "x AT&T &bogus; &amp &ampx;"],
      ["x &amp;lt; y", "x &lt; y"],
      ["x &hellip; &mdash; &rsquo;", "x \u2026 \u2014 \u2019"],
    ];
    for (const [raw, shown] of cases) {
      const db = loadInContext(buildIndexOf({ "p.htm": `<p>${raw}</p>` }, ["p.htm"]));
      assert.equal(db.KeyString[0], raw);
      assert.equal(search(db, "x")[0].entries[0].text, shown, raw);
    }
  });

  test("keeps the count when a page's text holds the placeholders", () => {
    const db = loadInContext(buildIndexOf({
      "p.htm": "<p>costs $RecordCount$ today</p><p>see $database$ below</p>",
    }, ["p.htm"]));
    assert.equal(db.RecordCount, 2);
    assert.deepEqual([...db.KeyString], ["costs $RecordCount$ today", "see $database$ below"]);
    assert.equal(search(db, "$recordcount$").length, 1);
  });

  test("searches the page's own bytes in a single-byte code page", () => {
    // "Crème" in Latin-1: the text is whatever the browser decodes the bytes as.
    const bytes = buildIndexOf({ "p.htm": Buffer.from("<p>Cr\xe8me br\xfbl\xe9e</p>", "latin1") }, ["p.htm"]);
    const db = loadInContext(bytes, "latin1");
    assert.deepEqual(links(search(db, "CRème")), ["p.htm"]);
    assert.deepEqual(marked(search(db, "brûlée")[0].entries[0]), ["brûlée"]);
  });

  test("loads with require() as well as in a page's scope", () => {
    const bytes = buildIndexOf({ "p.htm": "<p>one two three</p>" }, ["p.htm"]);
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), "zanthor-require-"));
    try {
      fs.writeFileSync(path.join(dir, "database.js"), bytes);
      const db = require(path.join(dir, "database.js"));
      assert.equal(db.RecordCount, 1);
      assert.deepEqual(db.KeyLink, ["p.htm"]);
      assert.equal(db.SearchDatabase("TWO")[0].link, "p.htm");
    } finally {
      fs.rmSync(dir, { recursive: true, force: true });
    }
  });
});

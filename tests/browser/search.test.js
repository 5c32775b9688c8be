// The example search page in Debian's chromium, served from 127.0.0.1 and
// opened from file://. The example site must have been indexed first
// (examples/database.js); the stage does that. A site of awkward pages is
// indexed here with $ZANTHOR_PROGRAM (build/dev/zanthor by default). A
// screenshot of the page goes to $ZANTHOR_BROWSER_OUT (build/browser).
"use strict";

const { test, describe, before, after } = require("node:test");
const assert = require("node:assert/strict");
const fs = require("node:fs");
const http = require("node:http");
const os = require("node:os");
const path = require("node:path");
const { execFileSync } = require("node:child_process");
const { pathToFileURL } = require("node:url");
const { chromium } = require("playwright-core");

const repoRoot = path.resolve(__dirname, "..", "..");
const examples = path.join(repoRoot, "examples");
const outDir = path.resolve(repoRoot, process.env.ZANTHOR_BROWSER_OUT || "build/browser");
const chromiumPath = process.env.ZANTHOR_CHROMIUM || "/usr/bin/chromium";
const program = path.resolve(repoRoot, process.env.ZANTHOR_PROGRAM || "build/dev/zanthor");

const types = {
  ".htm": "text/html; charset=utf-8",
  ".html": "text/html; charset=utf-8",
  ".js": "text/javascript; charset=utf-8",
  ".css": "text/css; charset=utf-8",
  ".png": "image/png",
};

// A static server for the files under `root`, on a free port of 127.0.0.1.
function serve(root) {
  const server = http.createServer((request, response) => {
    let file;
    try {
      const name = decodeURIComponent(new URL(request.url, "http://127.0.0.1").pathname);
      file = path.resolve(root, "." + name);
    } catch {
      file = null;
    }
    if (file === null || !file.startsWith(root + path.sep) || !fs.statSync(file, { throwIfNoEntry: false })?.isFile()) {
      response.writeHead(404, { "Content-Type": "text/plain" });
      response.end("not found");
      return;
    }
    response.writeHead(200, { "Content-Type": types[path.extname(file).toLowerCase()] || "application/octet-stream" });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => {
    server.listen(0, "127.0.0.1", () => resolve({ server, url: `http://127.0.0.1:${server.address().port}` }));
  });
}

let browser;
let site;

// A fresh page that lets no request leave this machine and notes every
// script error.
async function openPage() {
  const context = await browser.newContext({ viewport: { width: 900, height: 600 } });
  context.setDefaultTimeout(10000);
  const page = await context.newPage();
  page.errors = [];
  page.strayRequests = [];
  page.on("pageerror", (error) => page.errors.push(String(error)));
  await page.route("**/*", (route) => {
    const url = new URL(route.request().url());
    if (url.protocol === "file:" || (url.protocol === "http:" && url.hostname === "127.0.0.1")) return route.continue();
    page.strayRequests.push(url.href);
    return route.abort();
  });
  return page;
}

async function closePage(page) {
  assert.deepEqual(page.errors, [], "script errors on the page");
  assert.deepEqual(page.strayRequests, [], "requests that left the machine");
  await page.context().close();
}

function status(page) {
  return page.locator("#search-status").textContent();
}

function resultLinks(page) {
  return page.$$eval(".search-link", (links) => links.map((a) => [a.textContent, a.getAttribute("href")]));
}

function marks(page) {
  return page.$$eval(".search-result mark", (marks) => marks.map((m) => m.textContent));
}

function focused(page) {
  return page.evaluate(() => {
    const e = document.activeElement;
    return e.id === "search-box" ? "box" : e.classList.contains("search-link") ? e.textContent : e.tagName;
  });
}

before(async () => {
  assert.ok(fs.existsSync(path.join(examples, "database.js")),
    "examples/database.js is missing: index the example site first (scripts/build-example.sh)");
  site = await serve(examples);
  browser = await chromium.launch({
    executablePath: chromiumPath,
    headless: true,
    args: [
      "--no-sandbox",
      "--disable-gpu",
      "--disable-background-networking",
      "--disable-component-update",
      "--disable-sync",
      "--no-first-run",
    ],
  });
});

after(async () => {
  if (browser) await browser.close();
  if (site) site.server.close();
});

describe("the example search page", () => {
  test("answers as the user types, with links and the words marked", async () => {
    const page = await openPage();
    await page.goto(`${site.url}/search.html`);
    assert.equal(await status(page), "Search 6 pages of this site.");
    assert.equal(await focused(page), "box");

    await page.keyboard.type("RUSS");
    await page.waitForFunction(() => document.querySelectorAll(".search-link").length === 3);
    assert.equal(await status(page), "3 pages found.");
    assert.deepEqual(await resultLinks(page), [
      ["site/index.htm", "site/index.htm"],
      ["site/orchard/apples.htm", "site/orchard/apples.htm"],
      ["site/orchard/pears.htm", "site/orchard/pears.htm"],
    ]);
    assert.deepEqual(await marks(page), ["Russ", "Russ", "Russ", "russ"]);

    await page.keyboard.type("et bramley");
    await page.waitForFunction(() => /found|No results/.test(document.getElementById("search-status").textContent));
    assert.equal(await status(page), "No results for \u201cRUSSet bramley\u201d.");
    assert.deepEqual(await resultLinks(page), []);

    // Back to one word: the results come back as the text shrinks.
    for (let i = 0; i < " bramley".length; i++) await page.keyboard.press("Backspace");
    await page.waitForFunction(() => document.querySelectorAll(".search-link").length === 3);
    assert.deepEqual(await marks(page), ["Russet", "Russet", "Russet", "russet"]);
    assert.equal(
      await page.locator(".search-result").nth(1).locator(".search-text").first().textContent(),
      "Egremont Russet");
    await closePage(page);
  });

  test("says plainly when nothing matches, and starts over on Escape", async () => {
    const page = await openPage();
    await page.goto(`${site.url}/search.html`);
    await page.keyboard.type("zebra");
    await page.waitForFunction(() => /No results/.test(document.getElementById("search-status").textContent));
    assert.equal(await status(page), "No results for \u201czebra\u201d.");
    assert.equal(await page.locator(".search-result").count(), 0);
    await page.keyboard.press("Escape");
    assert.equal(await page.inputValue("#search-box"), "");
    assert.equal(await status(page), "Search 6 pages of this site.");
    await closePage(page);
  });

  const awkward = [
    // query, the page found, what is marked
    ['"Old Quince"', "site/index.htm", ["'Old", "Quince'"]],
    ["C:\\Sites\\QuinceHill", "site/about/this-site.htm", ["C:\\Sites\\QuinceHill"]],
    ["\\", "site/about/this-site.htm", ["\\", "\\"]],
    ["<em>", "site/about/this-site.htm", ["<em>"]],
    ["café", "site/visit.html", ["café", "café"]],
  ];
  for (const [query, link, marked] of awkward) {
    test(`finds ${query} and shows it as text, also after a reload`, async () => {
      const page = await openPage();
      await page.goto(`${site.url}/search.html`);
      await page.fill("#search-box", query);
      await page.waitForFunction(() => /found|No results/.test(document.getElementById("search-status").textContent));
      for (let pass = 0; pass < 2; pass++) {
        assert.equal(await status(page), "1 page found.");
        assert.deepEqual(await resultLinks(page), [[link, link]]);
        assert.deepEqual(await marks(page), marked);
        // Text of the index never becomes markup.
        assert.equal(await page.locator(".search-results em, .search-results img, .search-results script").count(), 0);
        // The query is kept in the address.
        await page.reload();
        assert.equal(await page.inputValue("#search-box"), query);
      }
      await closePage(page);
    });
  }

  test("works from the keyboard alone", async () => {
    const page = await openPage();
    await page.goto(`${site.url}/search.html`);
    await page.keyboard.type("jelly");
    await page.waitForFunction(() => document.querySelectorAll(".search-link").length === 2);

    const steps = [
      ["ArrowDown", "site/kitchen/quince-jelly.htm"],
      ["ArrowDown", "site/orchard/apples.htm"],
      ["ArrowDown", "site/orchard/apples.htm"],
      ["ArrowUp", "site/kitchen/quince-jelly.htm"],
      ["ArrowUp", "box"],
      ["Tab", "site/kitchen/quince-jelly.htm"],
      ["Tab", "site/orchard/apples.htm"],
      ["Escape", "box"],
    ];
    for (const [key, expected] of steps) {
      await page.keyboard.press(key);
      assert.equal(await focused(page), expected, `after ${key}`);
    }

    // Enter on a link follows it; Back returns to the same results.
    await page.keyboard.press("ArrowDown");
    await page.keyboard.press("ArrowDown");
    await Promise.all([page.waitForURL(`${site.url}/site/orchard/apples.htm`), page.keyboard.press("Enter")]);
    await page.goBack();
    await page.waitForFunction(() => document.querySelectorAll(".search-link").length === 2);
    assert.equal(await page.inputValue("#search-box"), "jelly");

    // Enter in the box opens the first result.
    await page.focus("#search-box");
    await Promise.all([page.waitForURL(`${site.url}/site/kitchen/quince-jelly.htm`), page.keyboard.press("Enter")]);
    assert.equal(await page.title(), "Quince jelly - Quince Hill Orchard");

    // "/" brings the focus back to the box from anywhere on the page.
    await page.goBack();
    await page.waitForFunction(() => document.querySelectorAll(".search-link").length === 2);
    await page.locator("h1").click();
    await page.keyboard.press("/");
    assert.equal(await focused(page), "box");
    await closePage(page);
  });

  test("works opened from file://", async () => {
    const page = await openPage();
    await page.goto(`${pathToFileURL(path.join(examples, "search.html")).href}`);
    await page.keyboard.type("Doyenné");
    await page.waitForFunction(() => document.querySelectorAll(".search-link").length === 1);
    assert.deepEqual(await marks(page), ["Doyenné"]);
    await Promise.all([page.waitForURL(/\/examples\/site\/orchard\/pears\.htm$/), page.keyboard.press("Enter")]);
    assert.equal(await page.title(), "Pears - Quince Hill Orchard");
    await closePage(page);
  });

  test("takes a screenshot", async () => {
    const page = await openPage();
    await page.goto(`${site.url}/search.html`);
    await page.keyboard.type("russet");
    await page.waitForFunction(() => document.querySelectorAll(".search-link").length === 3);
    fs.mkdirSync(outDir, { recursive: true });
    const file = path.join(outDir, "search.png");
    await page.screenshot({ path: file, fullPage: true });
    assert.ok(fs.statSync(file).size > 10000);
    await closePage(page);
  });
});

describe("a site made for the edge cases", () => {
  // File names that Linux allows and a link must carry through to the page:
  // the program writes " and \ as %22 and %5C, the page keeps the rest
  // from being read as parts of a URL or as markup.
  const pages = [
    ["say \"hi\".htm", "say %22hi%22.htm"],
    ["back\\slash.htm", "back%5Cslash.htm"],
    ["javascript:void(0).htm", "javascript:void(0).htm"],
    ["a#1.htm", "a#1.htm"],
    ["what?.htm", "what?.htm"],
    ["<b>.htm", "<b>.htm"],
  ];
  let root;
  let server;

  before(async () => {
    root = fs.mkdtempSync(path.join(os.tmpdir(), "zanthor-browser-"));
    for (const name of ["search.html", "search.js", "search.css"]) {
      fs.copyFileSync(path.join(examples, name), path.join(root, name));
    }
    // Beside the search page, so that each link begins with the name.
    pages.forEach(([name], i) => {
      fs.writeFileSync(path.join(root, name), `<title>Page ${i}</title><p>a marker of page ${i}</p>`);
    });
    // A text far longer than a result shows, with its one hit near the end,
    // and a page with more matching texts than a result lists.
    const filler = "lorem ipsum dolor sit amet ".repeat(30);
    fs.writeFileSync(path.join(root, "long.htm"), `<p>${filler}the needle here ${filler}</p>`);
    fs.writeFileSync(path.join(root, "many.htm"), [1, 2, 3, 4, 5].map((n) => `<p>pebble number ${n}</p>`).join(""));
    fs.mkdirSync(path.join(root, "unindexed"));
    for (const name of ["search.html", "search.js", "search.css"]) {
      fs.copyFileSync(path.join(examples, name), path.join(root, "unindexed", name));
    }
    // The program with its template, as the build lays them out.
    fs.mkdirSync(path.join(root, "bin"));
    fs.copyFileSync(program, path.join(root, "bin", "zanthor"));
    fs.chmodSync(path.join(root, "bin", "zanthor"), 0o755);
    fs.copyFileSync(path.join(repoRoot, "template", "_database.js"), path.join(root, "bin", "_database.js"));
    execFileSync(path.join(root, "bin", "zanthor"), [...pages.map(([name]) => name), "long.htm", "many.htm"],
      { cwd: root, stdio: "pipe" });
    server = await serve(root);
  });

  after(() => {
    if (server) server.server.close();
    if (root) fs.rmSync(root, { recursive: true, force: true });
  });

  test("every result link opens its page", async () => {
    const page = await openPage();
    await page.goto(`${server.url}/search.html?q=marker`);
    await page.waitForFunction((n) => document.querySelectorAll(".search-link").length === n, pages.length);
    const shown = await resultLinks(page);
    assert.deepEqual(shown.map(([text]) => text).sort(), pages.map(([, link]) => link).sort());
    for (let i = 0; i < shown.length; i++) {
      const [text] = shown[i];
      const index = pages.findIndex(([, link]) => link === text);
      await Promise.all([page.waitForEvent("load"), page.locator(".search-link").nth(i).click()]);
      assert.equal(await page.title(), `Page ${index}`, text);
      await page.goBack();
      await page.waitForFunction((n) => document.querySelectorAll(".search-link").length === n, pages.length);
    }
    await closePage(page);
  });

  test("shows a long text around its hit, and counts the texts it leaves out", async () => {
    const page = await openPage();
    await page.goto(`${server.url}/search.html?q=needle`);
    await page.waitForFunction(() => document.querySelectorAll(".search-link").length === 1);
    const shown = await page.locator(".search-text").textContent();
    assert.match(shown, /^\u2026.*the needle here.*\u2026$/);
    assert.ok(shown.length <= 242, `${shown.length} characters shown`);
    assert.deepEqual(await marks(page), ["needle"]);

    await page.fill("#search-box", "pebble");
    await page.waitForFunction(() => document.querySelectorAll(".search-link").length === 1);
    assert.deepEqual(await page.$$eval(".search-texts li", (items) => items.map((li) => li.textContent)), [
      "pebble number 1",
      "pebble number 2",
      "pebble number 3",
      "and 2 more matches on this page",
    ]);
    await closePage(page);
  });

  test("says so when there is no index", async () => {
    const page = await openPage();
    await page.goto(`${server.url}/unindexed/search.html`);
    assert.match(await status(page), /database\.js is missing/);
    assert.ok(await page.locator("#search-box").isDisabled());
    await closePage(page);
  });
});

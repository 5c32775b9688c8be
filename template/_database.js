// database.js: the search index of this site and the function that searches
// it, written by zanthor from its template _database.js. Rebuild it whenever
// the pages change.
//
// KeyString[n] is a piece of text of a page, as the page has it: character
// references such as &amp; are left in, and double quotation marks have been
// turned into apostrophes. KeyLink[n] is the page it comes from, relative to
// the folder the index was built in.
//
// SearchDatabase(query) gives the entries that hold every word of the query,
// one result per page, in the order of the index:
//
//   [ { link: "site/index.htm",
//       entries: [ { index: 3, text: "Fish & chips", hits: [[0, 4]] } ] } ]
//
// `text` is the entry with its character references decoded, as a reader
// sees it on the page, and `hits` are the [start, end) ranges of `text` that
// match a word of the query, sorted and without overlaps. Letters A to Z
// match in either case; other characters match only themselves, except that
// a double quotation mark and an apostrophe match each other (the index
// cannot tell them apart).
//
// Plain ES5 with no dependency: it runs in any browser, and under node with
// require() or vm.

var RecordCount = $RecordCount$;
var KeyString = [];
var KeyLink = [];

$DataBase$

var SearchDatabase = (function () {
  "use strict";

  // The references a page is likely to hold in running text: those of the
  // Latin-1 letters and signs, and a few of punctuation. Numeric ones are
  // decoded whatever they name; any other stays as it stands.
  var namedReferences = {
    amp: "&", lt: "<", gt: ">", quot: "\"", apos: "'",
    ndash: "\u2013", mdash: "\u2014", lsquo: "\u2018", rsquo: "\u2019", sbquo: "\u201a",
    ldquo: "\u201c", rdquo: "\u201d", bdquo: "\u201e", hellip: "\u2026", bull: "\u2022",
    dagger: "\u2020", permil: "\u2030", trade: "\u2122", euro: "\u20ac", OElig: "\u0152",
    oelig: "\u0153", Scaron: "\u0160", scaron: "\u0161", Yuml: "\u0178"
  };
  var latin1Names = ("nbsp iexcl cent pound curren yen brvbar sect uml copy ordf laquo not shy reg macr " +
    "deg plusmn sup2 sup3 acute micro para middot cedil sup1 ordm raquo frac14 frac12 frac34 iquest " +
    "Agrave Aacute Acirc Atilde Auml Aring AElig Ccedil Egrave Eacute Ecirc Euml Igrave Iacute Icirc Iuml " +
    "ETH Ntilde Ograve Oacute Ocirc Otilde Ouml times Oslash Ugrave Uacute Ucirc Uuml Yacute THORN szlig " +
    "agrave aacute acirc atilde auml aring aelig ccedil egrave eacute ecirc euml igrave iacute icirc iuml " +
    "eth ntilde ograve oacute ocirc otilde ouml divide oslash ugrave uacute ucirc uuml yacute thorn yuml").split(" ");
  for (var n = 0; n < latin1Names.length; n++) namedReferences[latin1Names[n]] = String.fromCharCode(160 + n);

  function decodeReference(whole, body) {
    var code;
    if (body.charAt(0) !== "#") {
      return Object.prototype.hasOwnProperty.call(namedReferences, body) ? namedReferences[body] : whole;
    }
    code = body.charAt(1) === "x" || body.charAt(1) === "X" ? parseInt(body.slice(2), 16) : parseInt(body.slice(1), 10);
    if (!(code > 0) || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return "\ufffd";
    if (code <= 0xffff) return String.fromCharCode(code);
    code -= 0x10000;
    return String.fromCharCode(0xd800 + (code >> 10), 0xdc00 + (code & 0x3ff));
  }

  function decodeText(text) {
    return text.replace(/&(#[0-9]{1,8};?|#[xX][0-9a-fA-F]{1,8};?|[A-Za-z][A-Za-z0-9]{1,31};)/g, function (whole, body) {
      return decodeReference(whole, body.charAt(body.length - 1) === ";" ? body.slice(0, -1) : body);
    });
  }

  // The form in which texts and query words are compared. It maps one
  // character to one character, so a position in it is the same position in
  // the text a reader sees.
  function comparable(text) {
    return text.replace(/[A-Z]+/g, function (letters) { return letters.toLowerCase(); }).replace(/"/g, "'");
  }

  function queryWords(query) {
    var parts = comparable(String(query)).split(/\s+/), words = [], i, j;
    for (i = 0; i < parts.length; i++) {
      if (parts[i] === "") continue;
      for (j = 0; j < words.length && words[j] !== parts[i]; j++) {}
      if (j === words.length) words.push(parts[i]);
    }
    return words;
  }

  // Decoded and comparable forms of the entries, made the first time each is
  // searched (and again should the entry change).
  var sources = [], decoded = [], keys = [];

  function entryKey(index) {
    if (sources[index] !== KeyString[index]) {
      sources[index] = KeyString[index];
      decoded[index] = decodeText(KeyString[index]);
      keys[index] = comparable(decoded[index]);
    }
    return keys[index];
  }

  // The ranges of `key` that match the words, or null when a word is missing.
  function matchRanges(key, words) {
    var ranges = [], merged = [], i, at, last;
    for (i = 0; i < words.length; i++) {
      at = key.indexOf(words[i]);
      if (at < 0) return null;
      for (; at >= 0; at = key.indexOf(words[i], at + 1)) ranges.push([at, at + words[i].length]);
    }
    ranges.sort(function (a, b) { return a[0] - b[0] || a[1] - b[1]; });
    for (i = 0; i < ranges.length; i++) {
      last = merged[merged.length - 1];
      if (last && ranges[i][0] <= last[1]) {
        if (ranges[i][1] > last[1]) last[1] = ranges[i][1];
      } else {
        merged.push([ranges[i][0], ranges[i][1]]);
      }
    }
    return merged;
  }

  function SearchDatabase(query) {
    var words = queryWords(query), results = [], byLink = {}, i, hits, link, result, text, j;
    if (words.length === 0) return results;
    for (i = 0; i < KeyString.length; i++) {
      if (typeof KeyString[i] !== "string" || typeof KeyLink[i] !== "string") continue;
      hits = matchRanges(entryKey(i), words);
      if (hits === null) continue;
      link = KeyLink[i];
      // Keyed with a prefix, so that a link such as "__proto__" is an
      // ordinary key.
      result = byLink["=" + link];
      if (!result) {
        result = byLink["=" + link] = { link: link, entries: [] };
        results.push(result);
      }
      // The same text twice on a page (a repeated caption, a page indexed
      // twice) is shown once.
      text = decoded[i];
      for (j = 0; j < result.entries.length && result.entries[j].text !== text; j++) {}
      if (j === result.entries.length) result.entries.push({ index: i, text: text, hits: hits });
    }
    return results;
  }

  return SearchDatabase;
})();

if (typeof module === "object" && module !== null && typeof module.exports === "object") {
  module.exports = { RecordCount: RecordCount, KeyString: KeyString, KeyLink: KeyLink, SearchDatabase: SearchDatabase };
}

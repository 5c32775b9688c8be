// The search box of a site indexed by zanthor. Load it after database.js:
//
//   <script src="database.js"></script>
//   <script src="search.js"></script>
//
// It puts a search box and its result list where the script stands, unless
// the page already holds an element with the id "site-search", which then
// receives them. Results follow the text as it is typed; the arrow keys move
// between the box and the result links, Enter in the box opens the first
// result, Escape goes back to the box (and then empties it), and "/" anywhere
// on the page brings the focus to the box.
//
// Entries are raw page text, so nothing of them is ever parsed as markup:
// every text goes into the page as a text node.
(function () {
  "use strict";

  var MAX_TEXTS_PER_PAGE = 3;
  var MAX_TEXT_LENGTH = 240;
  var script = document.currentScript;

  function element(tag, className, text) {
    var node = document.createElement(tag);
    if (className) node.className = className;
    if (text !== undefined) node.appendChild(document.createTextNode(text));
    return node;
  }

  // A link is a page path relative to where the index was built. One that
  // begins like a URL scheme ("javascript:", "mailto:") is a file name, so
  // it is kept relative; "#" and "?" are parts of the name, not of the URL.
  function pageHref(link) {
    var href = link.replace(/[#?]/g, function (c) { return encodeURIComponent(c); });
    return /^[A-Za-z][A-Za-z0-9+.\-]*:/.test(href) ? "./" + href : href;
  }

  // The stretch of a long text around its first hit, with the hits moved
  // to match.
  function excerpt(entry) {
    var text = entry.text, hits = entry.hits, start = 0, end = text.length, moved = [], i, a, b;
    if (text.length > MAX_TEXT_LENGTH) {
      start = Math.max(0, Math.min(hits[0][0] - 60, text.length - MAX_TEXT_LENGTH));
      if (/[\udc00-\udfff]/.test(text.charAt(start))) start++;
      end = Math.min(text.length, start + MAX_TEXT_LENGTH);
      if (/[\ud800-\udbff]/.test(text.charAt(end - 1))) end--;
    }
    for (i = 0; i < hits.length; i++) {
      a = Math.max(hits[i][0], start);
      b = Math.min(hits[i][1], end);
      if (a < b) moved.push([a - start, b - start]);
    }
    return { text: text.slice(start, end), hits: moved, before: start > 0, after: end < text.length };
  }

  function highlighted(entry) {
    var part = excerpt(entry), item = element("li", "search-text"), at = 0, i;
    if (part.before) item.appendChild(document.createTextNode("\u2026"));
    for (i = 0; i < part.hits.length; i++) {
      item.appendChild(document.createTextNode(part.text.slice(at, part.hits[i][0])));
      item.appendChild(element("mark", "", part.text.slice(part.hits[i][0], part.hits[i][1])));
      at = part.hits[i][1];
    }
    item.appendChild(document.createTextNode(part.text.slice(at)));
    if (part.after) item.appendChild(document.createTextNode("\u2026"));
    return item;
  }

  function plural(count, one, many) {
    return count + " " + (count === 1 ? one : many);
  }

  function build(container) {
    var form = element("form", "search-form"),
      label = element("label", "search-label", "Search this site"),
      box = element("input", "search-box"),
      status = element("p", "search-status"),
      list = element("ol", "search-results"),
      pageCount = 0,
      seen = {},
      i;

    form.setAttribute("role", "search");
    box.type = "search";
    box.id = "search-box";
    box.autocomplete = "off";
    box.spellcheck = false;
    box.placeholder = "Type a word or two";
    label.htmlFor = box.id;
    status.id = "search-status";
    status.setAttribute("role", "status");
    status.setAttribute("aria-live", "polite");
    list.setAttribute("aria-label", "Search results");
    form.appendChild(label);
    form.appendChild(box);
    container.appendChild(form);
    container.appendChild(status);
    container.appendChild(list);

    if (typeof SearchDatabase !== "function" || typeof KeyLink === "undefined") {
      status.className += " search-problem";
      status.appendChild(document.createTextNode(
        "The search index database.js is missing or did not load, so this site cannot be searched yet."));
      box.disabled = true;
      return;
    }

    for (i = 0; i < KeyLink.length; i++) {
      if (typeof KeyLink[i] === "string" && !seen["=" + KeyLink[i]]) {
        seen["=" + KeyLink[i]] = true;
        pageCount++;
      }
    }

    function links() {
      return list.getElementsByTagName("a");
    }

    function show(query) {
      var results = SearchDatabase(query), r, j, item, link, texts, result, more;
      while (list.firstChild) list.removeChild(list.firstChild);
      status.className = "search-status";
      if (!/\S/.test(query)) {
        status.textContent = "Search " + plural(pageCount, "page", "pages") + " of this site.";
        return;
      }
      if (results.length === 0) {
        status.className += " search-none";
        status.textContent = "No results for \u201c" + query.replace(/^\s+|\s+$/g, "") + "\u201d.";
        return;
      }
      status.textContent = plural(results.length, "page", "pages") + " found.";
      for (r = 0; r < results.length; r++) {
        result = results[r];
        item = element("li", "search-result");
        link = element("a", "search-link", result.link);
        link.href = pageHref(result.link);
        item.appendChild(link);
        texts = element("ul", "search-texts");
        for (j = 0; j < result.entries.length && j < MAX_TEXTS_PER_PAGE; j++) {
          texts.appendChild(highlighted(result.entries[j]));
        }
        more = result.entries.length - MAX_TEXTS_PER_PAGE;
        if (more > 0) texts.appendChild(element("li", "search-more", "and " + plural(more, "more match", "more matches") + " on this page"));
        item.appendChild(texts);
        list.appendChild(item);
      }
    }

    // The query is kept in the address, so that Back from a result returns
    // to the same results; a page opened from file:// may not allow that.
    function remember(query) {
      try {
        history.replaceState(null, "", query ? "?q=" + encodeURIComponent(query) : location.pathname);
      } catch (e) { /* the results still show */ }
    }

    function update() {
      show(box.value);
      remember(box.value);
    }

    function focusLink(index) {
      var all = links();
      if (index < 0) box.focus();
      else if (all.length > 0) all[Math.min(index, all.length - 1)].focus();
    }

    function indexOfLink(node) {
      var all = links(), i;
      for (i = 0; i < all.length; i++) if (all[i] === node) return i;
      return -1;
    }

    box.addEventListener("input", update);
    form.addEventListener("submit", function (event) {
      event.preventDefault();
      var all = links();
      if (all.length > 0) all[0].click();
    });
    box.addEventListener("keydown", function (event) {
      if (event.key === "ArrowDown" || event.key === "Down") {
        event.preventDefault();
        focusLink(0);
      } else if ((event.key === "Escape" || event.key === "Esc") && box.value !== "") {
        event.preventDefault();
        box.value = "";
        update();
      }
    });
    list.addEventListener("keydown", function (event) {
      var at = indexOfLink(event.target);
      if (at < 0) return;
      if (event.key === "ArrowDown" || event.key === "Down") {
        event.preventDefault();
        focusLink(at + 1);
      } else if (event.key === "ArrowUp" || event.key === "Up") {
        event.preventDefault();
        focusLink(at - 1);
      } else if (event.key === "Escape" || event.key === "Esc") {
        event.preventDefault();
        box.focus();
      }
    });
    document.addEventListener("keydown", function (event) {
      var target = event.target, tag = target && target.tagName;
      if (event.key !== "/" || event.ctrlKey || event.altKey || event.metaKey) return;
      if (tag === "INPUT" || tag === "TEXTAREA" || tag === "SELECT" || (target && target.isContentEditable)) return;
      event.preventDefault();
      box.focus();
      box.select();
    });

    var asked = /(?:^\?|&)q=([^&]*)/.exec(location.search);
    if (asked) {
      try {
        box.value = decodeURIComponent(asked[1].replace(/\+/g, " "));
      } catch (e) { /* a malformed address: start empty */ }
    }
    show(box.value);
    box.focus();
  }

  function start() {
    var container = document.getElementById("site-search");
    if (!container) {
      container = element("div", "site-search");
      container.id = "site-search";
      if (script && script.parentNode && script.parentNode !== document.head) {
        script.parentNode.insertBefore(container, script);
      } else {
        document.body.appendChild(container);
      }
    }
    build(container);
  }

  if (document.body) start();
  else document.addEventListener("DOMContentLoaded", start);
})();

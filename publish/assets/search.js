// Search of the published help, in the browser alone: no server, nothing fetched. The index is a
// script of its own (search-index.js, which sets scrivaneSearchIndex), so that it loads from a
// folder opened as file:// as well as from a web server.
//
// search.html?q=WORDS lists the topics whose text holds every word, case-insensitively, as a
// whole word or as the start of one, with a short excerpt around the first match.
(function () {
    "use strict";

    var WORD = /[\p{L}\p{N}]+/gu;
    var BEFORE = 60; // characters of excerpt before the match
    var AFTER = 140; // and after it

    function escapeRegExp(text) {
        return text.replace(/[.*+?^${}()|[\]\\]/g, "\\$&");
    }

    // A word of the query matches where a word of the text starts with it.
    function wordPattern(word, flags) {
        return new RegExp("(?<![\\p{L}\\p{N}])" + escapeRegExp(word), flags);
    }

    function queryWords(query) {
        var found = (query || "").match(WORD) || [];
        var unique = [];
        found.forEach(function (word) {
            var lower = word.toLowerCase();
            if (unique.indexOf(lower) < 0) {
                unique.push(lower);
            }
        });
        return unique;
    }

    // Where the first match of any word starts in text; -1 when a word does not match at all.
    function firstMatch(text, patterns) {
        var first = text.length;
        for (var i = 0; i < patterns.length; i++) {
            var match = patterns[i].exec(text);
            if (!match) {
                return -1;
            }
            first = Math.min(first, match.index);
        }
        return first;
    }

    // Some text around position, cut at blanks, with an ellipsis where it was cut.
    function excerpt(text, position) {
        var start = Math.max(0, position - BEFORE);
        var end = Math.min(text.length, position + AFTER);
        if (start > 0) {
            var blank = text.indexOf(" ", start);
            start = blank >= 0 && blank < position ? blank + 1 : start;
        }
        if (end < text.length) {
            var last = text.lastIndexOf(" ", end);
            end = last > position ? last : end;
        }
        return {
            text: text.slice(start, end),
            cutBefore: start > 0,
            cutAfter: end < text.length
        };
    }

    // The excerpt as text nodes, every match of a query word marked.
    function appendMarked(parent, text, words) {
        var all = new RegExp(words.map(function (word) {
            return "(?<![\\p{L}\\p{N}])" + escapeRegExp(word);
        }).join("|"), "giu");
        var done = 0;
        var match;
        while ((match = all.exec(text)) !== null) {
            if (match[0].length === 0) {
                all.lastIndex++;
                continue;
            }
            parent.appendChild(document.createTextNode(text.slice(done, match.index)));
            var mark = document.createElement("mark");
            mark.textContent = match[0];
            parent.appendChild(mark);
            done = match.index + match[0].length;
        }
        parent.appendChild(document.createTextNode(text.slice(done)));
    }

    function show() {
        var status = document.getElementById("search-status");
        var list = document.getElementById("results");
        var input = document.getElementById("q");
        var query = new URLSearchParams(window.location.search).get("q") || "";
        input.value = query;
        var words = queryWords(query);
        if (words.length === 0) {
            status.textContent = "Type one or more words to find the topics that contain them.";
            return;
        }
        var index = window.scrivaneSearchIndex;
        if (!Array.isArray(index)) {
            status.textContent = "The search index (search-index.js) is missing.";
            return;
        }
        var patterns = words.map(function (word) {
            return wordPattern(word, "iu");
        });
        var hits = 0;
        index.forEach(function (topic) {
            var position = firstMatch(topic.text, patterns);
            if (position < 0) {
                return;
            }
            hits++;
            var item = document.createElement("li");
            var link = document.createElement("a");
            link.href = topic.page;
            link.textContent = topic.name;
            item.appendChild(link);
            var part = excerpt(topic.text, position);
            var paragraph = document.createElement("p");
            appendMarked(paragraph, (part.cutBefore ? "\u2026" : "") + part.text
                + (part.cutAfter ? "\u2026" : ""), words);
            item.appendChild(paragraph);
            list.appendChild(item);
        });
        var shown = "\u201c" + query.trim() + "\u201d";
        if (hits === 0) {
            status.textContent = "No topic contains " + shown + ".";
        } else {
            status.textContent = (hits === 1 ? "1 topic contains " : hits + " topics contain ")
                + shown + ":";
        }
    }

    if (document.readyState === "loading") {
        document.addEventListener("DOMContentLoaded", show);
    } else {
        show();
    }
}());

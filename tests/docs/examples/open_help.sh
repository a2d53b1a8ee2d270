#!/bin/sh
# Opens the help at a topic, in the background; the script goes on at once.
leafwick Manual.scv --topic "Saving a Topic" &
# Or find every topic that mentions a word:
leafwick Manual.scv --search printer &

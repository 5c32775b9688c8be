// The search index of this site, made by zanthor.
// KeyString[n] is a piece of text from a page, KeyLink[n] the page it is on.
var RecordCount = $RecordCount$;
var KeyString = new Array(RecordCount);
var KeyLink = new Array(RecordCount);
$DataBase$

// The checks of values shared by the page: the drill file's loaders and
// the components that refuse a size or a place that is not a number. Unlike
// the component scripts, this one exposes several globals, one per check.
(function (window) {
    'use strict';

    function isObject(value) {
        return typeof value === 'object' && value !== null && !Array.isArray(value);
    }

    function isFiniteNumber(value) {
        return typeof value === 'number' && isFinite(value);
    }

    function isWholeNumber(value) {
        return isFiniteNumber(value) && Math.floor(value) === value;
    }

    function isPositiveNumber(value) {
        return typeof value === 'number' && isFinite(value) && value > 0;
    }

    window.isObject = isObject;
    window.isFiniteNumber = isFiniteNumber;
    window.isWholeNumber = isWholeNumber;
    window.isPositiveNumber = isPositiveNumber;
}(window));
